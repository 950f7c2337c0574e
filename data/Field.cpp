#include "data/Field.h"

#include "data/DataError.h"
#include "data/DataMessages.h"
#include "data/DataSet.h"

namespace data {

Field::Field(std::string fieldName, FieldType dataType, int size)
    : fieldName_(std::move(fieldName)), dataType_(dataType), size_(size) {}

Field::~Field() = default;

void Field::CheckClosed() const {
    if (dataSet_ != nullptr && dataSet_->Active()) DatabaseError(msg::DataSetOpen);
}

void Field::SetFieldName(std::string name) {
    CheckClosed();
    fieldName_ = std::move(name);
}

void Field::SetSize(int size) {
    CheckClosed();
    size_ = size;
}

void Field::SetFieldKind(FieldKind kind) {
    CheckClosed();
    kind_ = kind;
}

const std::string& Field::DisplayLabel() const {
    return displayLabel_.empty() ? fieldName_ : displayLabel_;
}

int Field::DisplayWidth() const {
    if (displayWidth_ > 0) return displayWidth_;
    switch (dataType_) {
        case ftString:
            return size_ > 0 ? size_ : 20;
        case ftSmallint:
            return 6;
        case ftInteger:
            return 11;
        case ftBoolean:
            return 5;
        case ftDate:
            return 10;
        case ftDateTime:
            return 18;
        default:
            return 10;
    }
}

bool Field::CanModify() const { return !readOnly_ && dataSet_ != nullptr && dataSet_->CanModify(); }

bool Field::GetData(FieldValue& value) const {
    value = std::monostate{};
    if (dataSet_ == nullptr) return false;
    return dataSet_->ReadFieldValue(*this, value);
}

FieldValue Field::TypedValue() const {
    FieldValue raw;
    if (!GetData(raw)) return {};
    return Convert(raw);
}

void Field::SetData(const FieldValue& value) {
    if (dataSet_ == nullptr) DatabaseErrorFmt(msg::FieldWithoutDataSet, {fieldName_});
    dataSet_->WriteFieldValue(*this, Convert(value));
}

bool Field::IsNull() const {
    FieldValue raw;
    if (!GetData(raw)) return true;
    // A blob's dataset may report presence without handing out the bytes.
    if (IsBlob()) return false;
    return IsNullValue(Convert(raw));
}

void Field::Clear() { SetData(std::monostate{}); }

FieldValue Field::Value() const { return TypedValue(); }

void Field::SetValue(const FieldValue& value) { SetData(value); }

FieldValue Field::ValueInState(DataSetState state) const {
    if (dataSet_ == nullptr) return {};
    DataSetState saved = dataSet_->SetTempState(state);
    try {
        FieldValue value = Value();
        dataSet_->RestoreState(saved);
        return value;
    } catch (...) {
        dataSet_->RestoreState(saved);
        throw;
    }
}

FieldValue Field::OldValue() const { return ValueInState(dsOldValue); }

FieldValue Field::NewValue() const { return ValueInState(dsNewValue); }

std::string Field::AsString() const { return FormatValue(TypedValue()); }

void Field::SetAsString(std::string_view text) { SetData(ParseText(text)); }

std::int32_t Field::AsInteger() const { AccessError("Integer"); }
void Field::SetAsInteger(std::int32_t) { AccessError("Integer"); }
double Field::AsFloat() const { AccessError("Float"); }
void Field::SetAsFloat(double) { AccessError("Float"); }
bool Field::AsBoolean() const { AccessError("Boolean"); }
void Field::SetAsBoolean(bool) { AccessError("Boolean"); }
double Field::AsDateTime() const { AccessError("DateTime"); }
void Field::SetAsDateTime(double) { AccessError("DateTime"); }

std::string Field::DisplayText() const { return AsString(); }

void Field::Validate(const FieldValue& value) {
    if (OnValidate) OnValidate(*this, value);
}

void Field::AccessError(const char* typeName) const {
    DatabaseErrorFmt(msg::FieldAccessError, {DisplayLabel(), typeName});
}

void Field::RangeError(std::string_view valueText, std::string_view low,
                       std::string_view high) const {
    DatabaseErrorFmt(msg::FieldRangeError, {valueText, DisplayLabel(), low, high});
}

}  // namespace data
