// Fuzz target for key and filter expressions: the input's first line is an expression,
// the rest overwrites the bytes of the record it is evaluated against. Compiling and
// evaluating may only end in the engine's errors; an expression that compiles prints a
// text form that compiles to an expression with the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/expr/ExprHandler.h"
#include "xbase/expr/ExprLink.h"
#include "xbase/expr/TableExprLink.h"
#include "xbase/file/EngineError.h"

namespace {

// One record in memory: NAME C(10), PRICE N(10,2), DDATE D, FLAG L, NOTES M, BLOB G.
class FuzzLink : public xbase::ExprLink {
public:
    FuzzLink() {
        const struct {
            const char* name;
            char type;
            int length;
            int decimals;
        } specs[] = {{"NAME", 'C', 10, 0}, {"PRICE", 'N', 10, 2}, {"DDATE", 'D', 8, 0},
                     {"FLAG", 'L', 1, 0},  {"NOTES", 'M', 10, 0}, {"BLOB", 'G', 10, 0}};
        int offset = 1;
        for (const auto& s : specs) {
            xbase::FieldDescriptor f;
            f.name = s.name;
            f.type = s.type;
            f.length = s.length;
            f.decimals = s.decimals;
            f.offset = offset;
            f.number = static_cast<int>(fields_.size()) + 1;
            offset += s.length;
            fields_.push_back(f);
        }
        record_.assign(static_cast<std::size_t>(offset), ' ');
        xbase::AddTableFunctions(TableFunctions());
        for (const xbase::FieldDescriptor& f : fields_)
            FieldVars().Add(xbase::TableFieldVar(*this, f));
    }
    void Load(std::string_view bytes) {
        static const std::string base = " Lee          123.4520070315TMemo text ---memo---";
        for (std::size_t i = 0; i < record_.size(); ++i)
            record_[i] =
                static_cast<std::uint8_t>(i < bytes.size() ? bytes[i] : base[i % base.size()]);
    }
    const std::uint8_t* Record() const override { return record_.data(); }
    std::uint8_t TableVersion() const override { return 0x03; }
    std::string_view FileName() const override { return "FUZZ"; }
    std::int32_t RecNo() const override { return 1; }
    bool Bof() const override { return false; }
    bool Eof() const override { return false; }
    void ReadMemo(const xbase::FieldDescriptor&, std::string& out) override { out = "memo text"; }

private:
    std::vector<xbase::FieldDescriptor> fields_;
    std::vector<std::uint8_t> record_;
};

// The value as text, or the error's message.
std::string Outcome(xbase::ExprHandler& h) {
    try {
        const xbase::ExprValue& v = h.Evaluate();
        std::string s(1, static_cast<char>(v.type));
        if (v.type == xbase::ExprType::Logical)
            s += v.logical ? 'T' : 'F';
        else if (xbase::InNumericFamily(v.type))
            s += std::to_string(v.number);
        else
            s += v.text;
        return s;
    } catch (const xbase::XBaseExpressionError& e) {
        return std::string("!") + e.what();
    } catch (const xbase::XBaseError& e) {
        return std::string("!") + e.what();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzLink link;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view expression = input.substr(0, newline);
    link.Load(newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1));
    for (bool sqlStyle : {false, true}) {
        try {
            xbase::ExprHandler h(&link, sqlStyle, expression);
            const std::string first = Outcome(h);
            xbase::ExprHandler again(&link, sqlStyle, h.Text());
            if (again.Text() != h.Text()) std::abort();
            if (Outcome(again) != first) std::abort();
            xbase::ExprKey key;
            try {
                h.EvaluateKey(key);
            } catch (const std::runtime_error&) {
            }
        } catch (const xbase::XBaseExpressionError&) {
        }
    }
    return 0;
}
