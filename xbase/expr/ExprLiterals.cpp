#include "xbase/expr/ExprLiterals.h"

#include "xbase/table/DbfDate.h"
#include "xbase/table/FieldCodec.h"

namespace xbase {

void ExprTextLit::AppendText(std::string& out) const {
    char open = '"';
    char close = '"';
    if (text_.find('"') != std::string::npos) {
        if (text_.find('\'') == std::string::npos)
            open = close = '\'';
        else
            open = '[', close = ']';
    }
    out += open;
    out += text_;
    out += close;
}

void ExprNumLit::AppendText(std::string& out) const {
    std::string text;
    FieldCodec::FormatNumber(value_, 0, decimals_, text);
    out += text;
}

void ExprDateLit::AppendText(std::string& out) const {
    out += '{';
    if (julian_ > 0) out += DbfDate::JulianToStorage(julian_);
    out += '}';
}

}  // namespace xbase
