#include "xbase/expr/UserFunction.h"

#include <string>

#include "xbase/expr/ExprError.h"
#include "xbase/expr/ExprLink.h"
#include "xbase/table/DbfDate.h"
#include "xbase/table/FieldCodec.h"

namespace xbase {

namespace {

class HookFunction final : public ExprFunction {
public:
    HookFunction(ExprLink& link, std::string_view name)
        : ExprFunction(std::string(name)), link_(&link) {}

    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        std::string call = Name() + "(";
        for (std::size_t i = 0; i < args.Nodes().size(); ++i) {
            if (i > 0) call += ", ";
            args.Nodes()[i]->AppendText(call);
        }
        call += ')';
        char type = 'C';
        std::string& value = args.Buffer();
        value.clear();
        if (!link_->UserFunction("PARSE", Name(), call, type, value)) exprerr::NoFunction(Name());
        switch (type) {
            case 'N':
            case 'F': {
                double number = 0;
                FieldCodec::ParseNumber(TrimValue(value), number);
                out.SetNumber(number);
                return;
            }
            case 'D': {
                std::int32_t j = 0;
                try {
                    j = DbfDate::JulianFromText(value);
                } catch (const DateConversionError&) {
                    j = 0;
                }
                out.SetDate(j > 0 ? j : kEmptyDate);
                return;
            }
            case 'L':
                out.SetLogical(!value.empty() && (value[0] == 'T' || value[0] == 't'));
                return;
            default:
                out.SetText(value);
                return;
        }
    }

private:
    static std::string_view TrimValue(std::string_view v) {
        while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
        return v;
    }
    ExprLink* link_;
};

}  // namespace

std::unique_ptr<ExprFunction> MakeUserFunction(ExprLink& link, std::string_view name) {
    char type = 'C';
    std::string value;
    if (!link.UserFunction("FIND", name, {}, type, value)) return nullptr;
    return std::make_unique<HookFunction>(link, name);
}

}  // namespace xbase
