#include "xbase/expr/ExprCompiler.h"

#include <charconv>
#include <vector>

#include "xbase/expr/ExprError.h"
#include "xbase/expr/ExprFieldVar.h"
#include "xbase/expr/ExprFunctionCall.h"
#include "xbase/expr/ExprLink.h"
#include "xbase/expr/ExprLiterals.h"
#include "xbase/expr/ExprOperator.h"
#include "xbase/expr/FunctionRegistry.h"
#include "xbase/expr/UserFunction.h"
#include "xbase/table/DbfDate.h"

namespace xbase {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isNameChar(char c) { return isNameStart(c) || isDigit(c); }

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

struct WordOp {
    std::string_view word;
    ExprOp op;
};
constexpr WordOp kWordOps[] = {
    {"AND", ExprOp::And},         {"OR", ExprOp::Or},        {"EQ", ExprOp::Equal},
    {"NE", ExprOp::NotEqual},     {"GT", ExprOp::Greater},   {"LT", ExprOp::Less},
    {"GE", ExprOp::GreaterEqual}, {"LE", ExprOp::LessEqual},
};

const WordOp* findWordOp(std::string_view word) {
    for (const WordOp& w : kWordOps)
        if (equalsNoCase(word, w.word)) return &w;
    return nullptr;
}

struct SymbolOp {
    std::string_view symbol;
    ExprOp op;
};
// Longest symbols first.
constexpr SymbolOp kSymbolOps[] = {
    {"**", ExprOp::Power},        {"<>", ExprOp::NotEqual},     {"!=", ExprOp::NotEqual},
    {">=", ExprOp::GreaterEqual}, {"=>", ExprOp::GreaterEqual}, {"<=", ExprOp::LessEqual},
    {"=<", ExprOp::LessEqual},    {"==", ExprOp::ExactEqual},   {"^", ExprOp::Power},
    {"*", ExprOp::Multiply},      {"/", ExprOp::Divide},        {"+", ExprOp::Add},
    {"-", ExprOp::Subtract},      {"=", ExprOp::Equal},         {"#", ExprOp::NotEqual},
    {">", ExprOp::Greater},       {"<", ExprOp::Less},          {"$", ExprOp::Contains},
};

// One entry of the flat list the tokenizer makes: an operand node, or an operator not
// yet given its operands.
struct Item {
    ExprNodePtr node;  // set for operands and for operators already reduced
    ExprOp op = ExprOp::Add;
    bool pendingOp = false;
};

class Compiler {
public:
    Compiler(std::string_view whole, ExprContext& context) : whole_(whole), context_(context) {}

    ExprNodePtr Compile(std::string_view text, int depth) {
        if (depth > kMaxExprDepth) exprerr::TooDeep();
        std::vector<Item> items;
        Tokenize(trim(text), depth, items);
        return Build(items);
    }

private:
    // ---- tokenizer -------------------------------------------------------------------
    void Tokenize(std::string_view s, int depth, std::vector<Item>& items) {
        std::size_t pos = 0;
        bool operand = true;
        while (true) {
            while (pos < s.size() && isBlank(s[pos])) ++pos;
            if (pos >= s.size()) return;
            if (operand) {
                if (ReadNegation(s, pos)) {
                    items.push_back(Item{nullptr, ExprOp::Not, true});
                    continue;
                }
                items.push_back(Item{ReadOperand(s, pos, depth), ExprOp::Add, false});
                operand = false;
            } else {
                items.push_back(Item{nullptr, ReadOperator(s, pos), true});
                operand = true;
            }
        }
    }

    // "!" (not "!="), NOT or .NOT.
    static bool ReadNegation(std::string_view s, std::size_t& pos) {
        if (s[pos] == '!' && (pos + 1 >= s.size() || s[pos + 1] != '=')) {
            ++pos;
            return true;
        }
        if (equalsNoCase(s.substr(pos, 5), ".NOT.")) {
            pos += 5;
            return true;
        }
        if (equalsNoCase(s.substr(pos, 3), "NOT") &&
            (pos + 3 >= s.size() || !isNameChar(s[pos + 3]))) {
            pos += 3;
            return true;
        }
        return false;
    }

    ExprNodePtr ReadOperand(std::string_view s, std::size_t& pos, int depth) {
        const char c = s[pos];
        if (c == '(') {
            const std::size_t close = FindClose(s, pos);
            if (close == std::string_view::npos) exprerr::MissingParenthesis();
            ExprNodePtr inner = Compile(s.substr(pos + 1, close - pos - 1), depth + 1);
            if (!inner) exprerr::CannotEvaluate();
            pos = close + 1;
            return Checked(std::make_unique<ExprGroup>(std::move(inner)));
        }
        if (c == '.' && !(pos + 1 < s.size() && isDigit(s[pos + 1]))) {
            const std::size_t close = s.find('.', pos + 1);
            if (close == std::string_view::npos) exprerr::MissingPeriod();
            const std::string_view word = s.substr(pos + 1, close - pos - 1);
            pos = close + 1;
            if (equalsNoCase(word, "T")) return std::make_unique<ExprBoolLit>(true);
            if (equalsNoCase(word, "F")) return std::make_unique<ExprBoolLit>(false);
            exprerr::ExpectingLogical();
        }
        if (isNameStart(c)) return ReadName(s, pos, depth);
        if (c == '"' || c == '\'' || c == '[') {
            const char closing = c == '[' ? ']' : c;
            const std::size_t close = s.find(closing, pos + 1);
            if (close == std::string_view::npos) exprerr::MissingQuote(c);
            std::string text(s.substr(pos + 1, close - pos - 1));
            pos = close + 1;
            return std::make_unique<ExprTextLit>(std::move(text));
        }
        if (c == '{') {
            const std::size_t close = s.find('}', pos + 1);
            if (close == std::string_view::npos) exprerr::MissingQuote(c);
            const std::string_view inside = trim(s.substr(pos + 1, close - pos - 1));
            pos = close + 1;
            return std::make_unique<ExprDateLit>(ReadDate(inside));
        }
        if (isDigit(c) || c == '.' || c == '+' || c == '-') return ReadNumber(s, pos);
        exprerr::Syntax(whole_);
    }

    // A date literal's text: YYYYMMDD or the short date format; "^yyyy-mm-dd" (or with
    // '/' or '.') whatever the format. The empty text is the empty date.
    std::int32_t ReadDate(std::string_view text) const {
        if (text.empty()) return 0;
        try {
            if (text.front() == '^') {
                std::string digits;
                for (char ch : text.substr(1))
                    if (isDigit(ch))
                        digits += ch;
                    else if (ch != '-' && ch != '/' && ch != '.' && !isBlank(ch))
                        exprerr::Syntax(whole_);
                if (digits.size() != 8) exprerr::Syntax(whole_);
                return DbfDate::JulianFromText(digits);
            }
            return DbfDate::JulianFromText(text);
        } catch (const DateConversionError&) {
            exprerr::Syntax(whole_);
        }
    }

    // An optional sign, then digits and at most one period (a period followed by a
    // letter ends the number: 1.AND. is 1 and .AND.).
    ExprNodePtr ReadNumber(std::string_view s, std::size_t& pos) const {
        std::size_t p = pos;
        bool negative = false;
        if (s[p] == '+' || s[p] == '-') negative = s[p++] == '-';
        const std::size_t start = p;
        std::size_t period = std::string_view::npos;
        int digits = 0;
        while (p < s.size()) {
            if (isDigit(s[p])) {
                ++digits;
            } else if (s[p] == '.' && period == std::string_view::npos &&
                       !(p + 1 < s.size() && isNameStart(s[p + 1]))) {
                period = p;
            } else {
                break;
            }
            ++p;
        }
        if (digits == 0) exprerr::Syntax(whole_);
        std::string text(s.substr(start, p - start));
        if (text.front() == '.') text.insert(text.begin(), '0');
        if (text.back() == '.') text.pop_back();
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        const int decimals =
            period == std::string_view::npos ? 0 : static_cast<int>(p - period - 1);
        pos = p;
        return std::make_unique<ExprNumLit>(negative && value != 0 ? -value : value, decimals);
    }

    ExprNodePtr ReadName(std::string_view s, std::size_t& pos, int depth) {
        std::size_t p = pos;
        while (p < s.size() && isNameChar(s[p])) ++p;
        std::string_view name = s.substr(pos, p - pos);
        std::size_t after = p;
        while (after < s.size() && isBlank(s[after])) ++after;
        if (after < s.size() && s[after] == '(') {
            pos = after;
            return ReadCall(name, s, pos, depth);
        }
        // An alias-qualified field, ALIAS.NAME or ALIAS->NAME: the part after the last
        // qualifier counts. ".AND." and the like after a name are operators, not qualifiers.
        while (true) {
            std::size_t next = p;
            if (next < s.size() && s[next] == '.')
                ++next;
            else if (s.substr(next, 2) == "->")
                next += 2;
            else
                break;
            if (next >= s.size() || !isNameStart(s[next])) break;
            std::size_t end = next;
            while (end < s.size() && isNameChar(s[end])) ++end;
            const std::string_view word = s.substr(next, end - next);
            if (s[p] == '.' && end < s.size() && s[end] == '.' &&
                (findWordOp(word) != nullptr || equalsNoCase(word, "NOT") ||
                 equalsNoCase(word, "T") || equalsNoCase(word, "F")))
                break;
            name = word;
            p = end;
        }
        pos = p;
        const TableFieldVar* var =
            context_.link != nullptr ? context_.link->FieldVars().Find(name) : nullptr;
        if (var == nullptr) exprerr::UnknownVariable(name);
        return std::make_unique<ExprFieldVar>(*var);
    }

    ExprNodePtr ReadCall(std::string_view name, std::string_view s, std::size_t& pos, int depth) {
        const std::size_t close = FindClose(s, pos);
        if (close == std::string_view::npos) exprerr::MissingParenthesis();
        const std::string_view inside = s.substr(pos + 1, close - pos - 1);
        pos = close + 1;
        const ExprFunction* function = FunctionRegistry::Global().Find(name);
        if (function == nullptr && context_.link != nullptr)
            function = context_.link->TableFunctions().Find(name);
        std::unique_ptr<ExprFunction> user;
        if (function == nullptr && context_.link != nullptr) {
            user = MakeUserFunction(*context_.link, name);
            function = user.get();
        }
        if (function == nullptr) exprerr::NoFunction(name);
        std::vector<ExprNodePtr> args;
        if (!trim(inside).empty()) {
            for (std::string_view part : SplitArguments(inside)) {
                ExprNodePtr arg = Compile(part, depth + 1);
                if (!arg) exprerr::Syntax(whole_);
                args.push_back(std::move(arg));
            }
        }
        auto call = std::make_unique<ExprFunctionCall>(*function, std::move(args), context_);
        if (user) call->Own(std::move(user));
        return Checked(std::move(call));
    }

    // The index of the ')' matching the '(' at `open`, counting nested parentheses and
    // stepping over quoted texts, bracketed texts and braced dates; npos when none.
    static std::size_t FindClose(std::string_view s, std::size_t open) {
        int level = 0;
        for (std::size_t i = open; i < s.size(); ++i) {
            const char c = s[i];
            if (c == '"' || c == '\'' || c == '[' || c == '{') {
                const char closing = c == '[' ? ']' : c == '{' ? '}' : c;
                const std::size_t end = s.find(closing, i + 1);
                if (end == std::string_view::npos) return std::string_view::npos;
                i = end;
            } else if (c == '(') {
                ++level;
            } else if (c == ')' && --level == 0) {
                return i;
            }
        }
        return std::string_view::npos;
    }

    // The argument texts of a call, split at the commas outside parentheses, quotes,
    // brackets and braces.
    static std::vector<std::string_view> SplitArguments(std::string_view s) {
        std::vector<std::string_view> parts;
        int level = 0;
        std::size_t start = 0;
        for (std::size_t i = 0; i < s.size(); ++i) {
            const char c = s[i];
            if (c == '"' || c == '\'' || c == '[' || c == '{') {
                const char closing = c == '[' ? ']' : c == '{' ? '}' : c;
                const std::size_t end = s.find(closing, i + 1);
                if (end == std::string_view::npos) break;
                i = end;
            } else if (c == '(') {
                ++level;
            } else if (c == ')') {
                --level;
            } else if (c == ',' && level == 0) {
                parts.push_back(s.substr(start, i - start));
                start = i + 1;
            }
        }
        parts.push_back(s.substr(start));
        return parts;
    }

    ExprOp ReadOperator(std::string_view s, std::size_t& pos) const {
        for (const SymbolOp& o : kSymbolOps) {
            if (s.substr(pos, o.symbol.size()) == o.symbol) {
                pos += o.symbol.size();
                return o.op;
            }
        }
        if (s[pos] == '.') {
            const std::size_t close = s.find('.', pos + 1);
            if (close != std::string_view::npos) {
                if (const WordOp* w = findWordOp(s.substr(pos + 1, close - pos - 1))) {
                    pos = close + 1;
                    return w->op;
                }
            }
        } else if (isNameStart(s[pos])) {
            std::size_t end = pos;
            while (end < s.size() && isNameChar(s[end])) ++end;
            if (const WordOp* w = findWordOp(s.substr(pos, end - pos))) {
                pos = end;
                return w->op;
            }
        }
        exprerr::Syntax(whole_);
    }

    // ---- tree builder ----------------------------------------------------------------
    // For each level from the tightest, the leftmost operator of that level still without
    // operands takes its right neighbour and, unless unary, its left one. An operator
    // whose right neighbour is a .NOT. still without its operand lets that .NOT. (and any
    // .NOT. right after it) take its operand first: A .AND. .NOT. B is A .AND. (.NOT. B).
    ExprNodePtr Build(std::vector<Item>& items) {
        for (int level = 2; level <= 8; ++level) {
            for (std::size_t i = 0; i < items.size();) {
                if (items[i].pendingOp && OperatorLevel(items[i].op) == level)
                    i = Reduce(items, i);
                else
                    ++i;
            }
        }
        if (items.size() != 1 || items[0].pendingOp) {
            if (items.empty()) return nullptr;
            exprerr::CannotEvaluate();
        }
        return std::move(items[0].node);
    }

    // Gives the operator at i its operands; returns the index to look at next.
    std::size_t Reduce(std::vector<Item>& items, std::size_t i) {
        if (i + 1 < items.size() && items[i + 1].pendingOp) ReduceNegations(items, i + 1);
        ExprNodePtr right;
        if (i + 1 < items.size()) {
            right = std::move(items[i + 1].node);
            items.erase(items.begin() + static_cast<std::ptrdiff_t>(i + 1));
        }
        ExprNodePtr left;
        const ExprOp op = items[i].op;
        if (op != ExprOp::Not && i > 0 && !items[i - 1].pendingOp) {
            left = std::move(items[i - 1].node);
            items.erase(items.begin() + static_cast<std::ptrdiff_t>(i - 1));
            --i;
        }
        items[i].node = Checked(
            std::make_unique<ExprOperator>(op, std::move(left), std::move(right), context_));
        items[i].pendingOp = false;
        return i;
    }

    // The run of pending operators starting at `first` (only .NOT. can stand in operand
    // position), each given its operand from the right end of the run backwards.
    void ReduceNegations(std::vector<Item>& items, std::size_t first) {
        std::size_t last = first;
        while (last + 1 < items.size() && items[last + 1].pendingOp) ++last;
        for (std::size_t k = last + 1; k-- > first;) Reduce(items, k);
    }

    ExprNodePtr Checked(ExprNodePtr node) const {
        if (node->Depth() > kMaxExprDepth) exprerr::TooDeep();
        return node;
    }

    std::string_view whole_;
    ExprContext& context_;
};

}  // namespace

ExprNodePtr CompileExpression(std::string_view text, ExprContext& context) {
    if (text.size() > kMaxExprLength) exprerr::TooLong();
    const std::string_view whole = trim(text);
    Compiler compiler(whole, context);
    return compiler.Compile(whole, 0);
}

}  // namespace xbase
