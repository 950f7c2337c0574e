#include "ExprTestSupport.h"

#include <charconv>

#include "xbase/expr/ExprHandler.h"
#include "xbase/expr/TableExprLink.h"
#include "xbase/file/EngineError.h"
#include "xbase/table/DbfDate.h"
#include "xbase/table/FieldCodec.h"

namespace exprtest {

RecordLink::RecordLink(const std::vector<FieldShape>& fields, std::uint8_t version)
    : version_(version) {
    int offset = 1;
    int number = 1;
    for (const FieldShape& s : fields) {
        xbase::FieldDescriptor f;
        f.name = s.name;
        f.type = s.type;
        f.length = s.length;
        f.decimals = s.decimals;
        f.offset = offset;
        f.number = number++;
        offset += s.length;
        fields_.push_back(f);
    }
    record_.assign(static_cast<std::size_t>(offset), ' ');
    for (const xbase::FieldDescriptor& f : fields_) FieldVars().Add(xbase::TableFieldVar(*this, f));
    xbase::AddTableFunctions(TableFunctions());
}

void RecordLink::Set(std::string_view name, std::string_view stored) {
    for (const xbase::FieldDescriptor& f : fields_)
        if (f.name == name) {
            std::fill_n(record_.begin() + f.offset, f.length, ' ');
            std::copy_n(stored.begin(),
                        std::min<std::size_t>(stored.size(), static_cast<std::size_t>(f.length)),
                        record_.begin() + f.offset);
            return;
        }
}

void RecordLink::ReadMemo(const xbase::FieldDescriptor& field, std::string& out) {
    auto it = memos_.find(field.name);
    out = it == memos_.end() ? std::string() : it->second;
}

std::string Eval(std::string_view expression, xbase::ExprLink* link) {
    try {
        xbase::ExprHandler h(link, false, expression);
        const xbase::ExprValue& v = h.Evaluate();
        std::string out(1, xbase::TypeLetter(v.type));
        out += ':';
        switch (v.type) {
            case xbase::ExprType::Numeric: {
                char buf[64];
                auto r = std::to_chars(buf, buf + sizeof buf, v.number);
                out.append(buf, r.ptr);
                break;
            }
            case xbase::ExprType::Date:
                if (v.number != xbase::kEmptyDate)
                    out += xbase::DbfDate::JulianToStorage(static_cast<std::int32_t>(v.number));
                break;
            case xbase::ExprType::Logical:
                out += v.logical ? 'T' : 'F';
                break;
            default:
                out += v.text;
                break;
        }
        return out;
    } catch (const xbase::XBaseExpressionError& e) {
        return std::string("!") + e.what();
    }
}

RecordLink& Sample() {
    static RecordLink* link = [] {
        auto* p = new RecordLink({{"NAME", 'C', 10},
                                  {"CITY", 'C', 20},
                                  {"PRICE", 'N', 10, 2},
                                  {"QTY", 'N', 5},
                                  {"DDATE", 'D', 8},
                                  {"EMPTYD", 'D', 8},
                                  {"FLAG", 'L', 1},
                                  {"NOTES", 'M', 10}});
        p->Set("NAME", "Lee");
        p->Set("CITY", "BEIJING");
        p->Set("PRICE", "    123.45");
        p->Set("QTY", "    7");
        p->Set("DDATE", "20070315");
        p->Set("FLAG", "T");
        p->SetMemo("NOTES", "memo text");
        p->SetPosition(5, false, false);
        return p;
    }();
    return *link;
}

}  // namespace exprtest
