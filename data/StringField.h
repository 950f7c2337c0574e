// A text field of at most Size bytes. Reading gives the text as the dataset delivers it
// (datasets trim as their storage requires); "" is null. The text also converts to and
// from numbers, Booleans and dates through their text forms.
#pragma once

#include "data/Field.h"

namespace data {

class StringField : public Field {
public:
    explicit StringField(std::string fieldName, int size = 20);

    std::int32_t AsInteger() const override;
    void SetAsInteger(std::int32_t value) override;
    double AsFloat() const override;
    void SetAsFloat(double value) override;
    bool AsBoolean() const override;
    void SetAsBoolean(bool value) override;
    double AsDateTime() const override;
    void SetAsDateTime(double value) override;

    std::string FormatValue(const FieldValue& value) const override;
    // The stored text handed on without the copies the general conversion makes.
    std::string AsString() const override;
    FieldValue ParseText(std::string_view text) const override;
    FieldValue Convert(const FieldValue& value) const override;
};

}  // namespace data
