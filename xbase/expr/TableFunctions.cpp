// The table functions: facts of the bound table and its cursor.
#include <memory>

#include "xbase/expr/ExprLink.h"
#include "xbase/expr/TableExprLink.h"

namespace xbase {

namespace {

ExprLink& linkOf(ExprArgs& args) { return *args.Context().link; }

class TableFnRecNo final : public ExprFunction {
public:
    TableFnRecNo() : ExprFunction("RECNO", ExprType::Numeric) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        out.SetNumber(linkOf(args).RecNo());
    }
};

class TableFnDeleted final : public ExprFunction {
public:
    TableFnDeleted() : ExprFunction("DELETED", ExprType::Logical) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        out.SetLogical(linkOf(args).Record()[0] == '*');
    }
};

class TableFnBof final : public ExprFunction {
public:
    TableFnBof() : ExprFunction("BOF", ExprType::Logical) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        out.SetLogical(linkOf(args).Bof());
    }
};

class TableFnEof final : public ExprFunction {
public:
    TableFnEof() : ExprFunction("EOF", ExprType::Logical) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        out.SetLogical(linkOf(args).Eof());
    }
};

// TYPE(name): the field's type letter; "U" for a name that is no field.
class TableFnType final : public ExprFunction {
public:
    TableFnType() : ExprFunction("TYPE", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        const TableFieldVar* var = linkOf(args).FieldVars().Find(args.Text(0));
        std::string& buffer = args.Buffer();
        buffer.assign(1, var != nullptr ? var->Field().type : 'U');
        out.SetText(buffer);
    }
};

// LEN(name): the field's width. The global LEN is found first, so expressions never
// reach this one; it is kept for callers that look table functions up themselves.
class TableFnLen final : public ExprFunction {
public:
    TableFnLen() : ExprFunction("LEN", ExprType::Numeric) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        const TableFieldVar* var = linkOf(args).FieldVars().Find(args.Text(0));
        out.SetNumber(var != nullptr ? var->Field().length : 0);
    }
};

class TableFnFieldNo final : public ExprFunction {
public:
    TableFnFieldNo() : ExprFunction("FIELDNO", ExprType::Numeric) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        const TableFieldVar* var = linkOf(args).FieldVars().Find(args.Text(0));
        out.SetNumber(var != nullptr ? var->Field().number : 0);
    }
};

}  // namespace

void AddTableFunctions(FunctionRegistry& registry) {
    registry.Add(std::make_unique<TableFnRecNo>());
    registry.Add(std::make_unique<TableFnDeleted>());
    registry.Add(std::make_unique<TableFnBof>());
    registry.Add(std::make_unique<TableFnEof>());
    registry.Add(std::make_unique<TableFnType>());
    registry.Add(std::make_unique<TableFnLen>());
    registry.Add(std::make_unique<TableFnFieldNo>());
}

}  // namespace xbase
