// Built-in functions on values of any type: BETWEEN, DESCEND, EMPTY, IIF.
#include <memory>

#include "xbase/expr/FunctionRegistry.h"
#include "xbase/expr/FunctionSupport.h"
#include "xbase/expr/TextCompare.h"

namespace xbase {

using namespace fnsupport;

namespace {

// BETWEEN(value, low, high): low <= value <= high, texts compared in the locale's order.
class FnBetween final : public ExprFunction {
public:
    FnBetween() : ExprFunction("BETWEEN", ExprType::Logical) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        const ExprValue& v = args.Get(0);
        const ExprValue& lo = args.Get(1);
        const ExprValue& hi = args.Get(2);
        out.SetLogical(Order(args, lo, v) <= 0 && Order(args, v, hi) <= 0);
    }

private:
    static int Order(ExprArgs& args, const ExprValue& a, const ExprValue& b) {
        if (InNumericFamily(a.type) && InNumericFamily(b.type))
            return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
        if (a.type != b.type) exprerr::SidesDiffer();
        if (a.type == ExprType::Logical)
            return static_cast<int>(a.logical) - static_cast<int>(b.logical);
        TextCompareOptions plain = args.Context().compare;
        plain.wildcards = false;
        return CompareTexts(a.text, b.text, plain, args.Buffer(0), args.Buffer(1));
    }
};

// DESCEND(value): the key that sorts in the opposite order.
class FnDescend final : public ExprFunction {
public:
    FnDescend() : ExprFunction("DESCEND", ExprType::None, 0) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        const ExprValue& v = args.Get(0);
        switch (v.type) {
            case ExprType::Date:
                out.SetDate(v.number == kEmptyDate ? kEmptyDate : 5231808 - v.number);
                return;
            case ExprType::Numeric:
                out.SetNumber(v.number == 0 ? 0 : -v.number);
                return;
            case ExprType::Logical:
                out.SetLogical(!v.logical);
                return;
            case ExprType::Text: {
                std::string& b = args.Buffer();
                b.assign(v.text);
                for (char& c : b) c = static_cast<char>(0 - static_cast<unsigned char>(c));
                SetMade(args, out);
                return;
            }
            default:
                out.SetLogical(false);
                return;
        }
    }
};

class FnEmpty final : public ExprFunction {
public:
    FnEmpty() : ExprFunction("EMPTY", ExprType::Logical) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        const ExprValue& v = args.Get(0);
        switch (v.type) {
            case ExprType::Text:
                out.SetLogical(TrimRight(v.text).empty());
                return;
            case ExprType::Numeric:
                out.SetLogical(v.number == 0);
                return;
            case ExprType::Date:
                out.SetLogical(v.number == kEmptyDate || v.number == 0);
                return;
            case ExprType::Logical:
                out.SetLogical(!v.logical);
                return;
            default:
                out.SetLogical(false);
                return;
        }
    }
};

// IIF(condition, a, b): evaluates only the chosen argument.
class FnIif final : public ExprFunction {
public:
    FnIif() : ExprFunction("IIF", ExprType::None, 1) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        out = args.Get(args.Logical(0) ? 1 : 2);
    }
};

}  // namespace

void AddGeneralFunctions(FunctionRegistry& r) {
    r.Add(std::make_unique<FnBetween>());
    r.Add(std::make_unique<FnDescend>());
    r.Add(std::make_unique<FnEmpty>());
    r.Add(std::make_unique<FnIif>());
}

}  // namespace xbase
