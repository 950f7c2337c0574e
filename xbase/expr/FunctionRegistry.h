// A set of functions found by their upper-case names: the global registry with one object
// of each built-in function, and each table link's registry of table functions.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "xbase/expr/ExprFunction.h"

namespace xbase {

class FunctionRegistry {
public:
    // Adds a function under its name (upper case); a later one of the same name replaces
    // the earlier.
    void Add(std::unique_ptr<ExprFunction> function);
    // The function of that name (any case), nullptr when there is none. The registry owns it.
    const ExprFunction* Find(std::string_view name) const;
    std::size_t Size() const { return functions_.size(); }

    // The built-in functions (ALLTRIM ... VAL), filled once on first use; thread-safe.
    static const FunctionRegistry& Global();

private:
    std::unordered_map<std::string, std::unique_ptr<ExprFunction>> functions_;
};

// Fill the global registry; one per group of built-in functions.
void AddTextFunctions(FunctionRegistry& registry);
void AddNumberFunctions(FunctionRegistry& registry);
void AddDateFunctions(FunctionRegistry& registry);
void AddGeneralFunctions(FunctionRegistry& registry);

}  // namespace xbase
