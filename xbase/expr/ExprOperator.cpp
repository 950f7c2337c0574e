#include "xbase/expr/ExprOperator.h"

#include <algorithm>
#include <cmath>

#include "xbase/expr/ExprError.h"

namespace xbase {

int OperatorLevel(ExprOp op) {
    switch (op) {
        case ExprOp::Power:
            return 2;
        case ExprOp::Multiply:
        case ExprOp::Divide:
        case ExprOp::And:
            return 3;
        case ExprOp::Add:
        case ExprOp::Subtract:
        case ExprOp::Or:
            return 4;
        case ExprOp::Not:
            return 6;
        default:
            return 5;
    }
}

std::string_view OperatorText(ExprOp op) {
    switch (op) {
        case ExprOp::Power:
            return "^";
        case ExprOp::Multiply:
            return "*";
        case ExprOp::Divide:
            return "/";
        case ExprOp::And:
            return ".AND.";
        case ExprOp::Add:
            return "+";
        case ExprOp::Subtract:
            return "-";
        case ExprOp::Or:
            return ".OR.";
        case ExprOp::Equal:
            return "=";
        case ExprOp::NotEqual:
            return "#";
        case ExprOp::Greater:
            return ">";
        case ExprOp::Less:
            return "<";
        case ExprOp::GreaterEqual:
            return ">=";
        case ExprOp::LessEqual:
            return "<=";
        case ExprOp::Contains:
            return "$";
        case ExprOp::ExactEqual:
            return "==";
        case ExprOp::Not:
            return ".NOT.";
    }
    return "?";
}

bool IsComparison(ExprOp op) {
    switch (op) {
        case ExprOp::Equal:
        case ExprOp::NotEqual:
        case ExprOp::Greater:
        case ExprOp::Less:
        case ExprOp::GreaterEqual:
        case ExprOp::LessEqual:
            return true;
        default:
            return false;
    }
}

namespace {

bool isArithmetic(ExprOp op) {
    return op == ExprOp::Power || op == ExprOp::Multiply || op == ExprOp::Divide ||
           op == ExprOp::Add || op == ExprOp::Subtract;
}

// The result of a comparison operator from the order of left against right.
bool compareResult(ExprOp op, int order) {
    switch (op) {
        case ExprOp::Equal:
            return order == 0;
        case ExprOp::NotEqual:
            return order != 0;
        case ExprOp::Greater:
            return order > 0;
        case ExprOp::Less:
            return order < 0;
        case ExprOp::GreaterEqual:
            return order >= 0;
        default:
            return order <= 0;
    }
}

}  // namespace

ExprOperator::ExprOperator(ExprOp op, ExprNodePtr left, ExprNodePtr right,
                           const ExprContext& context)
    : op_(op), left_(std::move(left)), right_(std::move(right)), context_(&context) {
    SetDepth(1 + std::max(left_ ? left_->Depth() : 0, right_ ? right_->Depth() : 0));
    buffer_.reserve(64);
}

void ExprOperator::Evaluate(ExprValue& out) {
    if (!right_ || (op_ != ExprOp::Not && !left_)) exprerr::TargetMissing(OperatorText(op_));
    right_->Evaluate(rightValue_);
    const ExprValue& r = rightValue_;
    if (op_ == ExprOp::Not) {
        if (r.type != ExprType::Logical) exprerr::ValueInvalid("assigned");
        out.SetLogical(!r.logical);
        return;
    }
    left_->Evaluate(leftValue_);
    const ExprValue& l = leftValue_;
    if (l.type != r.type && !(InNumericFamily(l.type) && InNumericFamily(r.type)))
        exprerr::SidesDiffer();
    if (l.type == ExprType::Logical)
        EvaluateLogical(l, r, out);
    else if (InNumericFamily(l.type))
        EvaluateNumeric(l, r, out);
    else
        EvaluateText(l, r, out);
}

void ExprOperator::EvaluateLogical(const ExprValue& l, const ExprValue& r, ExprValue& out) const {
    switch (op_) {
        case ExprOp::Equal:
        case ExprOp::ExactEqual:
            out.SetLogical(l.logical == r.logical);
            return;
        case ExprOp::NotEqual:
            out.SetLogical(l.logical != r.logical);
            return;
        case ExprOp::And:
            out.SetLogical(l.logical && r.logical);
            return;
        case ExprOp::Or:
            out.SetLogical(l.logical || r.logical);
            return;
        default:
            exprerr::ValueInvalid(isArithmetic(op_) ? "number" : "assigned");
    }
}

void ExprOperator::EvaluateNumeric(const ExprValue& l, const ExprValue& r, ExprValue& out) const {
    // Date arithmetic: date ± number is a date, date − date a number of days.
    const bool leftDate = l.type == ExprType::Date;
    const bool rightDate = r.type == ExprType::Date;
    if (IsComparison(op_)) {
        const double d = l.number - r.number;
        out.SetLogical(compareResult(op_, d == 0 ? 0 : (d < 0 ? -1 : 1)));
        return;
    }
    switch (op_) {
        case ExprOp::Add:
            if (leftDate != rightDate)
                out.SetDate(leftDate ? (l.number == kEmptyDate ? kEmptyDate : l.number + r.number)
                                     : (r.number == kEmptyDate ? kEmptyDate : l.number + r.number));
            else
                out.SetNumber(l.number + r.number);
            return;
        case ExprOp::Subtract:
            if (leftDate && !rightDate)
                out.SetDate(l.number == kEmptyDate ? kEmptyDate : l.number - r.number);
            else if (leftDate && (l.number == kEmptyDate || r.number == kEmptyDate))
                out.SetNumber(0);
            else
                out.SetNumber(l.number - r.number);
            return;
        case ExprOp::Multiply:
            out.SetNumber(l.number * r.number);
            return;
        case ExprOp::Divide:
            out.SetNumber(l.number / r.number);
            return;
        case ExprOp::Power:
            out.SetNumber(std::pow(l.number, r.number));
            return;
        case ExprOp::ExactEqual:
            out.SetLogical(l.number == r.number);
            return;
        default:
            exprerr::ValueInvalid("assigned");
    }
}

void ExprOperator::EvaluateText(const ExprValue& l, const ExprValue& r, ExprValue& out) {
    if (IsComparison(op_)) {
        const int order =
            CompareTexts(l.text, r.text, context_->compare, scratchLeft_, scratchRight_);
        out.SetLogical(compareResult(op_, order));
        return;
    }
    switch (op_) {
        case ExprOp::Contains:
            out.SetLogical(r.text.find(l.text) != std::string_view::npos);
            return;
        case ExprOp::ExactEqual:
            out.SetLogical(l.text == r.text);
            return;
        case ExprOp::Add:
            buffer_.assign(l.text);
            buffer_.append(r.text);
            out.type = l.type;
            out.text = buffer_;
            return;
        case ExprOp::Subtract: {
            const std::size_t width = l.text.size() + r.text.size();
            buffer_.assign(TrimRight(l.text));
            buffer_.append(r.text);
            buffer_.resize(width, ' ');
            out.type = l.type;
            out.text = buffer_;
            return;
        }
        default:
            exprerr::ValueInvalid("assigned");
    }
}

void ExprOperator::AppendText(std::string& out) const {
    if (op_ == ExprOp::Not) {
        out += ".NOT. ";
        if (right_) right_->AppendText(out);
        return;
    }
    if (left_) {
        left_->AppendText(out);
        out += ' ';
    }
    out += OperatorText(op_);
    if (right_) {
        out += ' ';
        right_->AppendText(out);
    }
}

ExprType ExprOperator::StaticType() const {
    if (IsComparison(op_) || op_ == ExprOp::Contains || op_ == ExprOp::ExactEqual ||
        op_ == ExprOp::And || op_ == ExprOp::Or || op_ == ExprOp::Not)
        return ExprType::Logical;
    const ExprType l = left_ ? left_->StaticType() : ExprType::None;
    const ExprType r = right_ ? right_->StaticType() : ExprType::None;
    if ((op_ == ExprOp::Add || op_ == ExprOp::Subtract) &&
        (l == ExprType::Date) != (r == ExprType::Date) && InNumericFamily(l) && InNumericFamily(r))
        return op_ == ExprOp::Subtract && r == ExprType::Date ? ExprType::Numeric : ExprType::Date;
    if (InNumericFamily(l) && InNumericFamily(r)) return ExprType::Numeric;
    return l;
}

}  // namespace xbase
