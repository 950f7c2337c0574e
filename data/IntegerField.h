// A 32-bit signed integer field; its text form is the decimal number. Floats assigned to
// it are rounded to the nearest integer; values outside the field's range are refused.
#pragma once

#include "data/Field.h"

namespace data {

class IntegerField : public Field {
public:
    explicit IntegerField(std::string fieldName);

    std::int32_t AsInteger() const override;
    void SetAsInteger(std::int32_t value) override;
    double AsFloat() const override;
    void SetAsFloat(double value) override;

    std::string FormatValue(const FieldValue& value) const override;
    FieldValue ParseText(std::string_view text) const override;
    FieldValue Convert(const FieldValue& value) const override;

    std::int64_t MinValue() const { return minValue_; }
    std::int64_t MaxValue() const { return maxValue_; }

protected:
    IntegerField(std::string fieldName, FieldType dataType, std::int64_t minValue,
                 std::int64_t maxValue);

private:
    std::int32_t CheckRange(double value) const;

    std::int64_t minValue_;
    std::int64_t maxValue_;
};

}  // namespace data
