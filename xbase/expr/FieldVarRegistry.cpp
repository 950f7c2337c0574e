#include "xbase/expr/FieldVarRegistry.h"

#include <cstring>

#include "xbase/expr/ExprLink.h"
#include "xbase/table/FieldCodec.h"

namespace xbase {

TableFieldVar::TableFieldVar(ExprLink& link, const FieldDescriptor& field)
    : link_(&link), field_(&field) {
    const bool visualFox = IsVisualFoxVersion(link.TableVersion());
    switch (field.type) {
        case 'C':
            kind_ = Kind::Text, type_ = ExprType::Text;
            break;
        case 'N':
        case 'F':
            kind_ = Kind::Number, type_ = ExprType::Numeric;
            break;
        case 'D':
            kind_ = Kind::Date, type_ = ExprType::Date;
            break;
        case 'L':
            kind_ = Kind::Logical, type_ = ExprType::Logical;
            break;
        case 'M':
            kind_ = Kind::Memo, type_ = ExprType::Text;
            break;
        case 'I':
        case 'B':
        case 'Y':
            if (visualFox) {
                kind_ = Kind::Number, type_ = ExprType::Numeric;
                break;
            }
            [[fallthrough]];
        default:
            kind_ = Kind::Display, type_ = ExprType::Other;
            break;
    }
}

void TableFieldVar::Evaluate(ExprValue& out, std::string& scratch) const {
    const std::uint8_t* record = link_->Record();
    const FieldDescriptor& f = *field_;
    switch (kind_) {
        case Kind::Text: {
            const char* p = reinterpret_cast<const char*>(record + f.offset);
            const void* nul = std::memchr(p, 0, static_cast<std::size_t>(f.length));
            const std::size_t n = nul != nullptr
                                      ? static_cast<std::size_t>(static_cast<const char*>(nul) - p)
                                      : static_cast<std::size_t>(f.length);
            out.SetText(std::string_view(p, n));
            return;
        }
        case Kind::Number:
            out.SetNumber(FieldCodec::GetNumber(
                f, record, TableContext{link_->TableVersion(), link_->FileName()}));
            return;
        case Kind::Date: {
            const std::int32_t j = FieldCodec::GetDate(
                f, record, TableContext{link_->TableVersion(), link_->FileName()});
            out.SetDate(j > 0 ? static_cast<double>(j) : kEmptyDate);
            return;
        }
        case Kind::Logical:
            out.SetLogical(FieldCodec::GetLogical(f, record));
            return;
        case Kind::Memo:
            link_->ReadMemo(f, scratch);
            out.SetText(scratch);
            return;
        case Kind::Display:
            FieldCodec::GetText(f, record, TableContext{link_->TableVersion(), link_->FileName()},
                                scratch);
            out.type = ExprType::Other;
            out.text = scratch;
            return;
    }
}

const TableFieldVar* FieldVarRegistry::Find(std::string_view name) const {
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    for (const TableFieldVar& v : vars_) {
        const std::string& n = v.Field().name;
        if (n.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < n.size() && same; ++i) {
            auto a = static_cast<unsigned char>(n[i]);
            auto b = static_cast<unsigned char>(name[i]);
            same = (a >= 'a' && a <= 'z' ? a - 32 : a) == (b >= 'a' && b <= 'z' ? b - 32 : b);
        }
        if (same) return &v;
    }
    return nullptr;
}

}  // namespace xbase
