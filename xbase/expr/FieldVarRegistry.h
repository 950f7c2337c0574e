// The field variables of a table: one TableFieldVar per field, found by the field's
// upper-case name.
#pragma once

#include <deque>
#include <string>
#include <string_view>

#include "xbase/expr/ExprValue.h"
#include "xbase/table/FieldDescriptor.h"

namespace xbase {

class ExprLink;

// One field as an expression reads it, by its type letter: C its stored text (a view
// into the record buffer, up to a NUL), N and F a number, D the day number (the empty
// date for a blank one), L a logical, M the memo's whole text; the binary numbers of
// Visual FoxPro tables (I, B, Y) a number; any other type the field's text as type Other.
class TableFieldVar {
public:
    TableFieldVar(ExprLink& link, const FieldDescriptor& field);
    const FieldDescriptor& Field() const { return *field_; }
    ExprType Type() const { return type_; }
    // Reads the field of the link's current record; `scratch` holds texts that are not a
    // view of the record (memo, display forms).
    void Evaluate(ExprValue& out, std::string& scratch) const;

private:
    enum class Kind { Text, Number, Date, Logical, Memo, Display };
    ExprLink* link_;
    const FieldDescriptor* field_;
    Kind kind_;
    ExprType type_;
};

class FieldVarRegistry {
public:
    void Add(TableFieldVar var) { vars_.push_back(std::move(var)); }
    void Clear() { vars_.clear(); }
    // The variable of that name (any case, trailing blanks ignored), nullptr when none.
    const TableFieldVar* Find(std::string_view name) const;
    std::size_t Size() const { return vars_.size(); }

private:
    std::deque<TableFieldVar> vars_;  // stable addresses: nodes point at them
};

}  // namespace xbase
