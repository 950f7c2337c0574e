// Literal nodes: text, number, date and logical constants.
#pragma once

#include <string>

#include "xbase/expr/ExprNode.h"

namespace xbase {

class ExprTextLit final : public ExprNode {
public:
    explicit ExprTextLit(std::string text) : text_(std::move(text)) {}
    void Evaluate(ExprValue& out) override { out.SetText(text_); }
    // In double quotes; in single quotes or square brackets when the text holds a double quote.
    void AppendText(std::string& out) const override;
    ExprType StaticType() const override { return ExprType::Text; }
    const std::string& Value() const { return text_; }

private:
    std::string text_;
};

class ExprNumLit final : public ExprNode {
public:
    // `decimals`: digits written after the period, kept for the text form.
    ExprNumLit(double value, int decimals) : value_(value), decimals_(decimals) {}
    void Evaluate(ExprValue& out) override { out.SetNumber(value_); }
    void AppendText(std::string& out) const override;
    ExprType StaticType() const override { return ExprType::Numeric; }

private:
    double value_;
    int decimals_;
};

class ExprDateLit final : public ExprNode {
public:
    // `julian`: the day number, 0 for the empty date.
    explicit ExprDateLit(std::int32_t julian) : julian_(julian) {}
    void Evaluate(ExprValue& out) override { out.SetDate(julian_ > 0 ? julian_ : kEmptyDate); }
    // In braces as YYYYMMDD ("{}" for the empty date), which reads back whatever the
    // short date format.
    void AppendText(std::string& out) const override;
    ExprType StaticType() const override { return ExprType::Date; }

private:
    std::int32_t julian_;
};

class ExprBoolLit final : public ExprNode {
public:
    explicit ExprBoolLit(bool value) : value_(value) {}
    void Evaluate(ExprValue& out) override { out.SetLogical(value_); }
    void AppendText(std::string& out) const override { out += value_ ? ".T." : ".F."; }
    ExprType StaticType() const override { return ExprType::Logical; }

private:
    bool value_;
};

}  // namespace xbase
