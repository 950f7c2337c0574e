// A dataset field: one column of the active record, with typed getters and setters that
// convert to and from the field's own type, null handling, old and new values, and the
// field's descriptive properties.
//
// Reading goes to the dataset's GetFieldData (or, for calculated fields, to the values
// the framework keeps per row); writing converts to the field's type and calls the
// dataset's SetFieldData. Each subclass defines its type's text form (FormatValue) and
// how text is read back (ParseText); AsString and SetAsString use them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "data/DataSetTypes.h"
#include "data/FieldType.h"
#include "data/FieldValue.h"

namespace data {

class DataSet;

class Field {
public:
    Field(std::string fieldName, FieldType dataType, int size);
    virtual ~Field();
    Field(const Field&) = delete;
    Field& operator=(const Field&) = delete;

    // --- description ---
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(std::string name);  // only while the dataset is closed
    FieldType DataType() const { return dataType_; }
    int Size() const { return size_; }
    void SetSize(int size);  // only while the dataset is closed
    // Position in the dataset's field list (0-based), -1 when not in one.
    int Index() const { return index_; }
    // Position of the field definition it is bound to (1-based); 0 for calculated fields
    // and unbound fields.
    int FieldNo() const { return fieldNo_; }
    FieldKind Kind() const { return kind_; }
    void SetFieldKind(FieldKind kind);  // only while the dataset is closed
    bool Calculated() const { return kind_ == fkCalculated; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool Required() const { return required_; }
    void SetRequired(bool required) { required_ = required; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    // The label shown for the field; the field name unless set.
    const std::string& DisplayLabel() const;
    void SetDisplayLabel(std::string label) { displayLabel_ = std::move(label); }
    // Width in characters a grid gives the column; a type-based default unless set.
    int DisplayWidth() const;
    void SetDisplayWidth(int width) { displayWidth_ = width; }
    DataSet* GetDataSet() const { return dataSet_; }
    // Blob and memo fields keep their bytes behind a blob stream.
    virtual bool IsBlob() const { return false; }
    // True when a value can be assigned now (dataset writable, field not read-only).
    bool CanModify() const;

    // --- value ---
    bool IsNull() const;
    void Clear();  // sets null
    // The value in the field's own type (null when null).
    virtual FieldValue Value() const;
    // Any alternative, converted to the field's type first.
    virtual void SetValue(const FieldValue& value);
    FieldValue AsVariant() const { return Value(); }
    void SetAsVariant(const FieldValue& value) { SetValue(value); }
    // The value the record had before the current edit / the value being written.
    FieldValue OldValue() const;
    FieldValue NewValue() const;

    // Null reads as "" / 0 / 0.0 / false / 0.0. Setting "" on a non-string field sets
    // null. Conversions a type does not offer raise "Cannot access field '%s' as type %s";
    // text that does not convert raises the classic "'%s' is not a valid ... value".
    virtual std::string AsString() const;
    virtual void SetAsString(std::string_view text);
    virtual std::int32_t AsInteger() const;
    virtual void SetAsInteger(std::int32_t value);
    virtual double AsFloat() const;
    virtual void SetAsFloat(double value);
    virtual bool AsBoolean() const;
    virtual void SetAsBoolean(bool value);
    virtual double AsDateTime() const;
    virtual void SetAsDateTime(double value);
    // The text a grid shows; AsString unless the type says otherwise (memo, blob).
    virtual std::string DisplayText() const;

    // Text form of a value of this field's type (the same as AsString gives); "" for null.
    // Accepts any alternative (text is read first), so datasets that keep text can use it
    // to normalise.
    virtual std::string FormatValue(const FieldValue& value) const = 0;
    // The value of this field's type a text stands for; null for "" except for strings.
    virtual FieldValue ParseText(std::string_view text) const = 0;
    // Converts any alternative to this field's type (text through ParseText).
    virtual FieldValue Convert(const FieldValue& value) const = 0;

    // Runs OnValidate with the value about to be stored; datasets call it from
    // SetFieldData. The handler raises to refuse the value.
    void Validate(const FieldValue& value);

    // --- events ---
    std::function<void(Field&)> OnChange;
    std::function<void(Field&, const FieldValue&)> OnValidate;

protected:
    // Reads the raw value from the dataset; false (and null) when there is none.
    bool GetData(FieldValue& value) const;
    // The value in the field's type: GetData followed by Convert.
    FieldValue TypedValue() const;
    // Converts to the field's type and hands it to the dataset.
    void SetData(const FieldValue& value);
    [[noreturn]] void AccessError(const char* typeName) const;
    [[noreturn]] void RangeError(std::string_view valueText, std::string_view low,
                                 std::string_view high) const;
    void CheckClosed() const;
    // Value() read with the dataset switched to the given state for the moment.
    FieldValue ValueInState(DataSetState state) const;

private:
    friend class DataSet;
    friend class FieldList;

    std::string fieldName_;
    FieldType dataType_;
    int size_;
    FieldKind kind_ = fkData;
    int index_ = -1;
    int fieldNo_ = 0;
    int calcSlot_ = -1;
    bool readOnly_ = false;
    bool required_ = false;
    bool visible_ = true;
    std::string displayLabel_;
    int displayWidth_ = 0;
    DataSet* dataSet_ = nullptr;
};

}  // namespace data
