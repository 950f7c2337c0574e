#include "cli/TableEval.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "platform/CodePage.h"
#include "xbase/expr/ExprHandler.h"
#include "xbase/expr/TableExprLink.h"
#include "xbase/file/EngineError.h"
#include "xbase/table/DbfDate.h"

namespace cli {

namespace {

const std::string& codePageOf(const std::string& codePage) {
    return codePage.empty() ? platform::OemCodePage() : codePage;
}

std::runtime_error RecordError(std::int32_t recNo, const std::exception& e,
                               const std::string& codePage) {
    return std::runtime_error("Record " + std::to_string(recNo) + ": " +
                              platform::OemToUtf8(e.what(), codePage));
}

// Compiles the expression typed in UTF-8 against the table's bytes; the engine's message
// (in UTF-8) on a compile error.
xbase::ExprHandler Compile(xbase::ExprLink& link, const std::string& expression,
                           const std::string& codePage) {
    try {
        return xbase::ExprHandler(&link, false, platform::Utf8ToOem(expression, codePage));
    } catch (const xbase::XBaseExpressionError& e) {
        throw std::runtime_error(platform::OemToUtf8(e.what(), codePage));
    }
}

// YYYYMMDD, "" for the empty date.
std::string DateText(double date) {
    if (!(date >= 1 && date < 2147483647.0)) return {};
    return xbase::DbfDate::JulianToStorage(static_cast<std::int32_t>(date));
}

std::string TextValue(const xbase::ExprValue& v, const std::string& codePage) {
    switch (v.type) {
        case xbase::ExprType::Numeric: {
            char buf[64];
            auto r = std::to_chars(buf, buf + sizeof buf, v.number);
            return std::string(buf, r.ptr);
        }
        case xbase::ExprType::Date:
            return DateText(v.number);
        case xbase::ExprType::Logical:
            return v.logical ? ".T." : ".F.";
        default:
            return platform::OemToUtf8(v.text, codePage);
    }
}

nlohmann::ordered_json JsonRow(std::int32_t recNo, const xbase::ExprValue& v,
                               const std::string& codePage) {
    nlohmann::ordered_json row;
    row["_recno"] = recNo;
    row["type"] = std::string(1, xbase::TypeLetter(v.type));
    switch (v.type) {
        case xbase::ExprType::Numeric:
            if (!std::isfinite(v.number))
                row["value"] = nullptr;
            else if (v.number == std::trunc(v.number) && std::fabs(v.number) < 9007199254740992.0)
                row["value"] = static_cast<std::int64_t>(v.number);
            else
                row["value"] = v.number;
            break;
        case xbase::ExprType::Date:
            row["value"] = DateText(v.number);
            break;
        case xbase::ExprType::Logical:
            row["value"] = v.logical;
            break;
        default:
            row["value"] = platform::OemToUtf8(v.text, codePage);
            break;
    }
    return row;
}

}  // namespace

void EvalTable(xbase::XBaseDataSet& table, const EvalOptions& options, std::ostream& out) {
    const std::string& codePage = codePageOf(options.codePage);
    // The handler is walked directly, in its own record buffer; the dataset stays idle.
    xbase::DBFObject& handler = *table.Handler();
    xbase::TableExprLink link(handler, handler.Memo());
    xbase::ExprHandler expr = Compile(link, options.expression, codePage);
    bool first = true;
    auto emit = [&](std::int32_t recNo) {
        const xbase::ExprValue* v = nullptr;
        try {
            v = &expr.Evaluate();
        } catch (const std::runtime_error& e) {
            if (options.json) out << (first ? "[]\n" : "\n]\n");
            throw RecordError(recNo, e, codePage);
        }
        if (options.json) {
            out << (first ? "[\n" : ",\n")
                << JsonRow(recNo, *v, codePage)
                       .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        } else {
            out << recNo << '\t' << xbase::TypeLetter(v->type) << '\t' << TextValue(*v, codePage)
                << '\n';
        }
        first = false;
    };
    if (options.recNo > 0) {
        if (options.recNo > handler.RecordCount())
            throw std::runtime_error("Record " + std::to_string(options.recNo) +
                                     " does not exist (the table has " +
                                     std::to_string(handler.RecordCount()) + " records)");
        handler.GoTo(options.recNo);
        emit(options.recNo);
    } else {
        for (handler.GoTo(xbase::move::First); !handler.Eof(); handler.GoTo(xbase::move::Next))
            emit(handler.CurrentRecord());
    }
    if (options.json) out << (first ? "[]\n" : "\n]\n");
}

struct ExpressionFilter::State {
    State(xbase::DBFObject& handler, const std::string& expression, const std::string& cp)
        : codePage(cp), link(handler, handler.Memo()), expr(Compile(link, expression, codePage)) {}
    std::string codePage;
    xbase::TableExprLink link;
    xbase::ExprHandler expr;
    std::string failure;
};

ExpressionFilter::ExpressionFilter(xbase::XBaseDataSet& table, const std::string& expression,
                                   const std::string& codePage)
    : table_(table),
      state_(std::make_unique<State>(*table.Handler(), expression, codePageOf(codePage))) {
    const xbase::ExprType type = state_->expr.StaticType();
    if (type != xbase::ExprType::Logical && type != xbase::ExprType::None)
        throw std::runtime_error("Filter expression must return boolean result");
    State* state = state_.get();
    // The filter runs while the handler's record buffer holds the record under test.
    table_.OnFilterRecord = [state](data::DataSet&, bool& accept) {
        accept = false;
        if (!state->failure.empty()) return;
        const std::int32_t recNo = state->link.RecNo();
        try {
            const xbase::ExprValue& v = state->expr.Evaluate();
            if (v.type != xbase::ExprType::Logical)
                throw std::runtime_error("Filter expression must return boolean result");
            accept = v.logical;
        } catch (const std::runtime_error& e) {
            state->failure = RecordError(recNo, e, state->codePage).what();
        }
    };
    table_.SetFiltered(true);
}

ExpressionFilter::~ExpressionFilter() { table_.OnFilterRecord = nullptr; }

void ExpressionFilter::CheckFailure() const {
    if (!state_->failure.empty()) throw std::runtime_error(state_->failure);
}

}  // namespace cli
