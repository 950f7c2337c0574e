// Built-in functions on dates: today, reading and writing dates as text, day of week.
#include <memory>

#include "xbase/expr/FunctionRegistry.h"
#include "xbase/expr/FunctionSupport.h"
#include "xbase/expr/TextCompare.h"
#include "xbase/table/DbfDate.h"

namespace xbase {

using namespace fnsupport;

namespace {

// CTOD(text): the text read as a date (YYYYMMDD or the short date format); the empty
// text, and a text that is no date, give the empty date.
class FnCtod final : public ExprFunction {
public:
    FnCtod() : ExprFunction("CTOD", ExprType::Date) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        std::int32_t j = 0;
        try {
            j = DbfDate::JulianFromText(TrimLeft(args.Text(0)));
        } catch (const DateConversionError&) {
            j = 0;
        }
        out.SetDate(j > 0 ? j : kEmptyDate);
    }
};

class FnDate final : public ExprFunction {
public:
    FnDate() : ExprFunction("DATE", ExprType::Date) {}
    void Evaluate(ExprArgs&, ExprValue& out) const override { out.SetDate(DbfDate::JulianToday()); }
};

class FnDow final : public ExprFunction {
public:
    FnDow() : ExprFunction("DOW", ExprType::Numeric) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        out.SetNumber(DbfDate::JulianDayOfWeek(Julian(args.Date(0))));
    }
};

// DTOC(date, [1]): the date in the short date format, or as YYYYMMDD with 1.
class FnDtoc final : public ExprFunction {
public:
    FnDtoc() : ExprFunction("DTOC", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        const std::int32_t j = Julian(args.Date(0));
        if (args.Given(1) && args.Number(1) == 1)
            DbfDate::JulianToStorage(j, args.Buffer());
        else
            DbfDate::JulianToDisplay(j, args.Buffer());
        SetMade(args, out);
    }
};

// DTOS(date): YYYYMMDD; the empty date gives eight blanks.
class FnDtos final : public ExprFunction {
public:
    FnDtos() : ExprFunction("DTOS", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        DbfDate::JulianToStorage(Julian(args.Date(0)), args.Buffer());
        SetMade(args, out);
    }
};

}  // namespace

void AddDateFunctions(FunctionRegistry& r) {
    r.Add(std::make_unique<FnCtod>());
    r.Add(std::make_unique<FnDate>());
    r.Add(std::make_unique<FnDow>());
    r.Add(std::make_unique<FnDtoc>());
    r.Add(std::make_unique<FnDtos>());
}

}  // namespace xbase
