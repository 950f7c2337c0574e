// What an expression needs of the table it is bound to: its field variables, its table
// functions (RECNO, DELETED, ...), the current record and the cursor's position, memo
// texts, and the user-function hook.
//
// The table level's TableExprLink implements it over a DbfFile; a cursor may derive from
// that to read memos through its own memo file or to report its own position.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "xbase/expr/FieldVarRegistry.h"
#include "xbase/expr/FunctionRegistry.h"

namespace xbase {

class ExprLink {
public:
    virtual ~ExprLink() = default;
    // Field variables point back at their link, so a link never moves.
    ExprLink(const ExprLink&) = delete;
    ExprLink& operator=(const ExprLink&) = delete;

    FunctionRegistry& TableFunctions() { return tableFunctions_; }
    FieldVarRegistry& FieldVars() { return fieldVars_; }
    // STR's width when none is given.
    int DefaultWidth() const { return defaultWidth_; }

    // The record buffer the fields are read from (byte 0 the deletion flag).
    virtual const std::uint8_t* Record() const = 0;
    virtual std::uint8_t TableVersion() const = 0;
    // The table's file name, for the field layer's messages.
    virtual std::string_view FileName() const = 0;
    virtual std::int32_t RecNo() const = 0;
    virtual bool Bof() const = 0;
    virtual bool Eof() const = 0;
    // The whole memo text of a memo field of the current record ("" for none).
    virtual void ReadMemo(const FieldDescriptor& field, std::string& out) = 0;

    // The user-function hook: asked with "FIND" whether it knows `name` (then true), and
    // with "PARSE" to evaluate it, answering a type letter ('C', 'D', 'F', 'N' or 'L') and
    // the value as text (a date as YYYYMMDD, a logical as T or F). `call` is the call's
    // text form. This engine's own hook knows no names.
    virtual bool UserFunction(std::string_view request, std::string_view name,
                              std::string_view call, char& type, std::string& value) {
        (void)request, (void)name, (void)call, (void)type, (void)value;
        return false;
    }

protected:
    ExprLink() = default;

private:
    FunctionRegistry tableFunctions_;
    FieldVarRegistry fieldVars_;
    int defaultWidth_ = 10;
};

}  // namespace xbase
