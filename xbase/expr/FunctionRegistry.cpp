#include "xbase/expr/FunctionRegistry.h"

#include <cctype>

namespace xbase {

namespace {
std::string upper(std::string_view name) {
    std::string s(name);
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
}  // namespace

void FunctionRegistry::Add(std::unique_ptr<ExprFunction> function) {
    std::string key = upper(function->Name());
    functions_[std::move(key)] = std::move(function);
}

const ExprFunction* FunctionRegistry::Find(std::string_view name) const {
    auto it = functions_.find(upper(name));
    return it == functions_.end() ? nullptr : it->second.get();
}

const FunctionRegistry& FunctionRegistry::Global() {
    static const FunctionRegistry registry = [] {
        FunctionRegistry r;
        AddTextFunctions(r);
        AddNumberFunctions(r);
        AddDateFunctions(r);
        AddGeneralFunctions(r);
        return r;
    }();
    return registry;
}

}  // namespace xbase
