// A double-precision float field. Its text form is the general number format with at
// most 15 significant digits and the settings' decimal separator (see ValueText.h).
#pragma once

#include "data/Field.h"

namespace data {

class FloatField : public Field {
public:
    explicit FloatField(std::string fieldName);

    std::int32_t AsInteger() const override;
    void SetAsInteger(std::int32_t value) override;
    double AsFloat() const override;
    void SetAsFloat(double value) override;

    std::string FormatValue(const FieldValue& value) const override;
    FieldValue ParseText(std::string_view text) const override;
    FieldValue Convert(const FieldValue& value) const override;
};

}  // namespace data
