// A Boolean field. Its text form is the display text for true or false ("True" and
// "False" unless DisplayValues says otherwise); reading text also accepts T/F, Y/N,
// yes/no and true/false in any case.
#pragma once

#include "data/Field.h"

namespace data {

class BooleanField : public Field {
public:
    explicit BooleanField(std::string fieldName);

    bool AsBoolean() const override;
    void SetAsBoolean(bool value) override;
    std::int32_t AsInteger() const override;  // 1 or 0
    void SetAsInteger(std::int32_t value) override;

    // "TrueText;FalseText"; an empty part keeps the default of that side.
    void SetDisplayValues(std::string_view values);
    const std::string& TrueText() const { return trueText_; }
    const std::string& FalseText() const { return falseText_; }

    std::string FormatValue(const FieldValue& value) const override;
    FieldValue ParseText(std::string_view text) const override;
    FieldValue Convert(const FieldValue& value) const override;

private:
    std::string trueText_ = "True";
    std::string falseText_ = "False";
};

}  // namespace data
