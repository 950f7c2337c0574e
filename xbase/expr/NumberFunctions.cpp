// Built-in functions on numbers: rounding, remainders, byte codes and the conversions
// between numbers and texts.
#include <charconv>
#include <memory>

#include "xbase/expr/ExprLink.h"
#include "xbase/expr/FunctionRegistry.h"
#include "xbase/expr/FunctionSupport.h"
#include "xbase/table/FieldCodec.h"

namespace xbase {

using namespace fnsupport;

namespace {

class FnAsc final : public ExprFunction {
public:
    FnAsc() : ExprFunction("ASC", ExprType::Numeric) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        const std::string_view t = args.Text(0);
        out.SetNumber(t.empty() ? 0 : static_cast<unsigned char>(t[0]));
    }
};

class FnCeiling final : public ExprFunction {
public:
    FnCeiling() : ExprFunction("CEILING", ExprType::Numeric) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        out.SetNumber(std::ceil(args.Number(0)));
    }
};

class FnFloor final : public ExprFunction {
public:
    FnFloor() : ExprFunction("FLOOR", ExprType::Numeric) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        out.SetNumber(std::floor(args.Number(0)));
    }
};

class FnInt final : public ExprFunction {
public:
    FnInt() : ExprFunction("INT", ExprType::Numeric) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        out.SetNumber(std::trunc(args.Number(0)));
    }
};

// MOD(a, b): the remainder of the integer parts, with the sign of a; a zero divisor is
// refused with "A number value is required but invalid".
class FnMod final : public ExprFunction {
public:
    FnMod() : ExprFunction("MOD", ExprType::Numeric) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        const double a = std::trunc(args.Number(0));
        const double b = std::trunc(args.Number(1));
        if (b == 0 || !std::isfinite(b)) exprerr::ValueInvalid("number");
        out.SetNumber(std::fmod(a, b) + 0.0);
    }
};

// STR(value, [width], [decimals]) into the call's buffer: right-aligned in width (the
// link's default width, 10), with the decimals (default 0); width asterisks when the
// number does not fit.
void formatStr(ExprArgs& args) {
    const double value = args.Number(0);
    const int defaultWidth =
        args.Context().link != nullptr ? args.Context().link->DefaultWidth() : 10;
    const std::size_t width =
        args.Given(1) ? Count(args.Number(1)) : static_cast<std::size_t>(defaultWidth);
    const double d = args.Given(2) ? args.Number(2) : 0;
    const int decimals = d > 0 ? static_cast<int>(d < 64 ? d : 64) : 0;
    std::string& b = args.Buffer();
    if (std::isfinite(value)) FieldCodec::FormatNumber(value, static_cast<int>(width), decimals, b);
    if (!std::isfinite(value) || b.size() > width) b.assign(width, '*');
}

class FnStr final : public ExprFunction {
public:
    FnStr() : ExprFunction("STR", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        formatStr(args);
        SetMade(args, out);
    }
};

// STRZERO: STR with its leading blanks turned into zeros; a minus sign goes in front of
// the zeros (-0005, not 000-5).
class FnStrZero final : public ExprFunction {
public:
    FnStrZero() : ExprFunction("STRZERO", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        formatStr(args);
        std::string& b = args.Buffer();
        std::size_t i = 0;
        while (i < b.size() && b[i] == ' ') b[i++] = '0';
        if (i > 0 && i < b.size() && b[i] == '-') std::swap(b[0], b[i]);
        SetMade(args, out);
    }
};

// VAL(text): the number the text begins with (after leading blanks: sign, digits, a
// fraction, an exponent); 0 when it begins with none.
class FnVal final : public ExprFunction {
public:
    FnVal() : ExprFunction("VAL", ExprType::Numeric) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        out.SetNumber(Read(args.Text(0)));
    }

    static double Read(std::string_view t) {
        std::size_t i = 0;
        while (i < t.size() && t[i] == ' ') ++i;
        const std::size_t start = i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        std::size_t digits = 0;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++digits;
        if (i < t.size() && t[i] == '.') {
            ++i;
            while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++digits;
        }
        if (digits == 0) return 0;
        if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
            std::size_t j = i + 1;
            if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
            if (j < t.size() && std::isdigit(static_cast<unsigned char>(t[j]))) {
                while (j < t.size() && std::isdigit(static_cast<unsigned char>(t[j]))) ++j;
                i = j;
            }
        }
        const char* first = t.data() + start;
        if (*first == '+') ++first;
        double value = 0;
        const auto result = std::from_chars(first, t.data() + i, value);
        if (result.ec == std::errc::result_out_of_range) return 0;
        return value;
    }
};

}  // namespace

void AddNumberFunctions(FunctionRegistry& r) {
    r.Add(std::make_unique<FnAsc>());
    r.Add(std::make_unique<FnCeiling>());
    r.Add(std::make_unique<FnFloor>());
    r.Add(std::make_unique<FnInt>());
    r.Add(std::make_unique<FnMod>());
    r.Add(std::make_unique<FnStr>());
    r.Add(std::make_unique<FnStrZero>());
    r.Add(std::make_unique<FnVal>());
}

}  // namespace xbase
