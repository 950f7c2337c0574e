// Built-in functions on texts: trimming, case, parts, padding, searching and replacing.
#include <memory>

#include "xbase/expr/FunctionRegistry.h"
#include "xbase/expr/FunctionSupport.h"
#include "xbase/expr/TextCompare.h"

namespace xbase {

using namespace fnsupport;

namespace {

class FnAllTrim final : public ExprFunction {
public:
    FnAllTrim() : ExprFunction("ALLTRIM", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        out.SetText(TrimLeft(TrimRight(args.Text(0))));
    }
};

class FnLTrim final : public ExprFunction {
public:
    FnLTrim() : ExprFunction("LTRIM", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        out.SetText(TrimLeft(args.Text(0)));
    }
};

class FnRTrim final : public ExprFunction {
public:
    FnRTrim() : ExprFunction("RTRIM", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        out.SetText(TrimRight(args.Text(0)));
    }
};

class FnTrim final : public ExprFunction {
public:
    FnTrim() : ExprFunction("TRIM", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        out.SetText(TrimRight(args.Text(0)));
    }
};

class FnUpper final : public ExprFunction {
public:
    FnUpper() : ExprFunction("UPPER", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        Rules(args).Upper(args.Text(0), args.Buffer());
        SetMade(args, out);
    }
};

class FnLower final : public ExprFunction {
public:
    FnLower() : ExprFunction("LOWER", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        Rules(args).Lower(args.Text(0), args.Buffer());
        SetMade(args, out);
    }
};

class FnProper final : public ExprFunction {
public:
    FnProper() : ExprFunction("PROPER", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        Rules(args).Proper(args.Text(0), args.Buffer());
        SetMade(args, out);
    }
};

// LEFT(text, n): the first n bytes; n up to 0.01 gives the empty text.
class FnLeft final : public ExprFunction {
public:
    FnLeft() : ExprFunction("LEFT", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        const std::string_view text = args.Text(0);
        const double n = args.Number(1);
        out.SetText(n <= 0.01 ? std::string_view()
                              : text.substr(0, n >= static_cast<double>(text.size())
                                                   ? text.size()
                                                   : static_cast<std::size_t>(n)));
    }
};

// RIGHT(text, n): the last n bytes; a count of 0 or less gives the empty text.
class FnRight final : public ExprFunction {
public:
    FnRight() : ExprFunction("RIGHT", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        const std::string_view text = args.Text(0);
        const double n = args.Number(1);
        if (!(n >= 1)) {
            out.SetText({});
            return;
        }
        const std::size_t count =
            n >= static_cast<double>(text.size()) ? text.size() : static_cast<std::size_t>(n);
        out.SetText(text.substr(text.size() - count));
    }
};

// SUBSTR(text, start, [length]): from start (from 1) for length bytes, cut at the end.
class FnSubStr final : public ExprFunction {
public:
    FnSubStr() : ExprFunction("SUBSTR", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        const std::string_view text = args.Text(0);
        const double start = args.Number(1);
        if (!(start >= 1) || start > static_cast<double>(text.size())) {
            out.SetText({});
            return;
        }
        const std::string_view rest = text.substr(static_cast<std::size_t>(start) - 1);
        if (!args.Given(2)) {
            out.SetText(rest);
            return;
        }
        const double length = args.Number(2);
        if (!(length >= 1)) {
            out.SetText({});
            return;
        }
        out.SetText(rest.substr(0, length >= static_cast<double>(rest.size())
                                       ? rest.size()
                                       : static_cast<std::size_t>(length)));
    }
};

class FnSpace final : public ExprFunction {
public:
    FnSpace() : ExprFunction("SPACE", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        args.Buffer().assign(Count(args.Number(0)), ' ');
        SetMade(args, out);
    }
};

// PADC, PADL, PADR: the text centred, right-aligned or left-aligned in a width.
class FnPad final : public ExprFunction {
public:
    enum class Align { Centre, Left, Right };
    FnPad(const char* name, Align align) : ExprFunction(name, ExprType::Text), align_(align) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        if (!args.Given(0)) exprerr::ArgumentNeeded("Value", 1, "Pad");
        const std::string_view text = args.Text(0);
        const std::size_t width = Count(args.Number(1));
        char pad = ' ';
        if (args.Given(2)) {
            const std::string_view p = args.Text(2);
            if (p.size() != 1) exprerr::ValueInvalid("Char");
            pad = p[0];
        }
        if (text.size() >= width) {
            out.SetText(text);
            return;
        }
        const std::size_t fill = width - text.size();
        const std::size_t front = align_ == Align::Centre ? fill / 2
                                  : align_ == Align::Left ? fill
                                                          : 0;
        std::string& b = args.Buffer();
        b.assign(front, pad);
        b.append(text);
        b.append(fill - front, pad);
        SetMade(args, out);
    }

private:
    Align align_;
};

class FnSoundex final : public ExprFunction {
public:
    FnSoundex() : ExprFunction("SOUNDEX", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        std::string& b = args.Buffer();
        std::string& upper = args.Buffer(1);
        Rules(args).Upper(args.Text(0), upper);
        b.clear();
        if (!upper.empty()) {
            b += upper[0];
            char last = 0;
            for (std::size_t i = 1; i < upper.size() && b.size() < 4; ++i) {
                const char code = Code(upper[i]);
                if (code == 0) continue;
                if (code != last) b += code;
                last = code;
            }
        }
        b += "0000";
        b.resize(4);
        SetMade(args, out);
    }

private:
    static char Code(char c) {
        switch (c) {
            case 'B':
            case 'F':
            case 'P':
            case 'V':
                return '1';
            case 'C':
            case 'G':
            case 'J':
            case 'K':
            case 'Q':
            case 'S':
            case 'X':
            case 'Z':
                return '2';
            case 'D':
            case 'T':
                return '3';
            case 'L':
                return '4';
            case 'M':
            case 'N':
                return '5';
            case 'R':
                return '6';
            default:
                return 0;
        }
    }
};

// STRTRAN(text, search, [replacement], [start], [count]): occurrences of search from the
// start-th on (default 1) replaced, count of them (default all; 0 none).
class FnStrTran final : public ExprFunction {
public:
    FnStrTran() : ExprFunction("STRTRAN", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        const std::string_view text = args.Text(0);
        const std::string_view search = args.Text(1);
        const std::string_view replacement = args.Text(2);
        const double start = args.Given(3) ? args.Number(3) : 1;
        const double count = args.Given(4) ? args.Number(4) : -1;
        if (text.empty() || search.empty()) {
            out.SetText(text);
            return;
        }
        std::string& b = args.Buffer();
        b.clear();
        std::size_t pos = 0;
        double seen = 0;
        double replaced = 0;
        while (true) {
            const std::size_t at = text.find(search, pos);
            if (at == std::string_view::npos || (count >= 0 && replaced >= count)) break;
            ++seen;
            b.append(text.substr(pos, at - pos));
            if (seen >= start) {
                b.append(replacement);
                ++replaced;
            } else {
                b.append(search);
            }
            pos = at + search.size();
        }
        b.append(text.substr(pos));
        SetMade(args, out);
    }
};

class FnChr final : public ExprFunction {
public:
    FnChr() : ExprFunction("CHR", ExprType::Text) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        const double n = std::trunc(args.Number(0));
        if (!(n >= 0 && n <= 255)) exprerr::ValueInvalid("Byte");
        args.Buffer().assign(1, static_cast<char>(static_cast<unsigned char>(n)));
        SetMade(args, out);
    }
};

class FnLen final : public ExprFunction {
public:
    FnLen() : ExprFunction("LEN", ExprType::Numeric) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        out.SetNumber(static_cast<double>(args.Text(0).size()));
    }
};

// The position (from 1) of the n-th occurrence of needle in text; occurrences may overlap.
double findOccurrence(std::string_view needle, std::string_view text, double n) {
    if (needle.empty() || !(n >= 1)) return 0;
    std::size_t pos = 0;
    for (double k = 1;; ++k) {
        const std::size_t at = text.find(needle, pos);
        if (at == std::string_view::npos) return 0;
        if (k >= n) return static_cast<double>(at + 1);
        pos = at + 1;
    }
}

class FnAt final : public ExprFunction {
public:
    FnAt() : ExprFunction("AT", ExprType::Numeric) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        const std::string_view needle = args.Text(0);
        const std::string_view text = args.Text(1);
        out.SetNumber(findOccurrence(needle, text, args.Given(2) ? std::trunc(args.Number(2)) : 1));
    }
};

class FnAtc final : public ExprFunction {
public:
    FnAtc() : ExprFunction("ATC", ExprType::Numeric) {}
    void Evaluate(ExprArgs& args, ExprValue& out) const override {
        Rules(args).Upper(args.Text(0), args.Buffer(0));
        Rules(args).Upper(args.Text(1), args.Buffer(1));
        out.SetNumber(findOccurrence(args.Buffer(0), args.Buffer(1),
                                     args.Given(2) ? std::trunc(args.Number(2)) : 1));
    }
};

}  // namespace

void AddTextFunctions(FunctionRegistry& r) {
    r.Add(std::make_unique<FnAllTrim>());
    r.Add(std::make_unique<FnLTrim>());
    r.Add(std::make_unique<FnRTrim>());
    r.Add(std::make_unique<FnTrim>());
    r.Add(std::make_unique<FnUpper>());
    r.Add(std::make_unique<FnLower>());
    r.Add(std::make_unique<FnProper>());
    r.Add(std::make_unique<FnLeft>());
    r.Add(std::make_unique<FnRight>());
    r.Add(std::make_unique<FnSubStr>());
    r.Add(std::make_unique<FnSpace>());
    r.Add(std::make_unique<FnPad>("PADC", FnPad::Align::Centre));
    r.Add(std::make_unique<FnPad>("PADL", FnPad::Align::Left));
    r.Add(std::make_unique<FnPad>("PADR", FnPad::Align::Right));
    r.Add(std::make_unique<FnSoundex>());
    r.Add(std::make_unique<FnStrTran>());
    r.Add(std::make_unique<FnChr>());
    r.Add(std::make_unique<FnLen>());
    r.Add(std::make_unique<FnAt>());
    r.Add(std::make_unique<FnAtc>());
}

}  // namespace xbase
