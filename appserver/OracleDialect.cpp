#include "appserver/OracleDialect.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "appserver/SqlTokenizer.h"
#include "appserver/TextCase.h"

namespace appserver {

namespace {

using Tokens = std::vector<Token>;
constexpr size_t npos = static_cast<size_t>(-1);

// Words that never name a column, a function or an alias.
bool isKeyword(const Token& t) {
    static const std::array<std::string_view, 52> words = {
        "SELECT", "FROM",     "WHERE",    "AND",       "OR",     "NOT",    "IN",     "IS",
        "LIKE",   "BETWEEN",  "EXISTS",   "ON",        "AS",     "BY",     "GROUP",  "ORDER",
        "HAVING", "UNION",    "ALL",      "INTERSECT", "MINUS",  "EXCEPT", "JOIN",   "INNER",
        "LEFT",   "RIGHT",    "FULL",     "OUTER",     "CROSS",  "CASE",   "WHEN",   "THEN",
        "ELSE",   "END",      "DISTINCT", "INTO",      "VALUES", "SET",    "UPDATE", "DELETE",
        "INSERT", "TRUNCATE", "TABLE",    "WITH",      "ASC",    "DESC",   "LIMIT",  "OFFSET",
        "FOR",    "CONNECT",  "START",    "ESCAPE"};
    if (t.kind != TokenKind::Word) return false;
    return std::any_of(words.begin(), words.end(), [&](std::string_view w) { return t.isWord(w); });
}

// Words after which a FROM-list item ends (so they are not an alias).
bool endsFromItem(const Token& t) {
    static const std::array<std::string_view, 17> words = {
        "WHERE", "GROUP", "ORDER", "HAVING", "UNION", "INTERSECT", "MINUS",   "EXCEPT", "JOIN",
        "INNER", "LEFT",  "RIGHT", "FULL",   "CROSS", "ON",        "CONNECT", "START"};
    return std::any_of(words.begin(), words.end(), [&](std::string_view w) { return t.isWord(w); });
}

size_t nextSig(const Tokens& toks, size_t i) {
    while (i < toks.size() && !toks[i].significant()) ++i;
    return i;
}

size_t prevSig(const Tokens& toks, size_t i) {
    while (i > 0) {
        --i;
        if (toks[i].significant()) return i;
    }
    return npos;
}

size_t matchParen(const Tokens& toks, size_t open) {
    int depth = 0;
    for (size_t i = open; i < toks.size(); ++i) {
        if (toks[i].isSymbol("(")) ++depth;
        if (toks[i].isSymbol(")") && --depth == 0) return i;
    }
    return npos;
}

void insertTokens(Tokens& toks, size_t at, std::initializer_list<Token> extra) {
    toks.insert(toks.begin() + static_cast<std::ptrdiff_t>(at), extra);
}

std::string quoteIdentifier(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

// Names every unaliased expression of the outer select list by its own text.
void nameSelectExpressions(Tokens& toks) {
    size_t s = nextSig(toks, 0);
    if (s >= toks.size() || !toks[s].isWord("SELECT")) return;
    size_t i = nextSig(toks, s + 1);
    if (i < toks.size() && (toks[i].isWord("DISTINCT") || toks[i].isWord("ALL")))
        i = nextSig(toks, i + 1);

    std::vector<std::vector<size_t>> items(1);
    int depth = 0;
    for (; i < toks.size(); ++i) {
        const Token& t = toks[i];
        if (!t.significant()) continue;
        if (t.isSymbol("(")) ++depth;
        if (t.isSymbol(")")) --depth;
        if (depth == 0 && (t.isWord("FROM") || t.isSymbol(";"))) break;
        if (depth == 0 && t.isSymbol(",")) {
            items.emplace_back();
            continue;
        }
        items.back().push_back(i);
    }
    for (auto item = items.rbegin(); item != items.rend(); ++item) {
        const std::vector<size_t>& sig = *item;
        if (sig.empty()) continue;
        const Token& last = toks[sig.back()];
        if (last.isSymbol("*")) continue;
        // A plain, possibly qualified column keeps the name the database gives it.
        bool plainColumn = true;
        for (size_t k = 0; k < sig.size(); ++k) {
            const Token& t = toks[sig[k]];
            bool nameTok = t.kind == TokenKind::Word || t.kind == TokenKind::QuotedIdent;
            if (k % 2 == 0 ? !nameTok : !t.isSymbol(".")) plainColumn = false;
        }
        if (plainColumn && sig.size() % 2 == 1) continue;
        if (sig.size() >= 2 &&
            (last.kind == TokenKind::Word || last.kind == TokenKind::QuotedIdent) &&
            !isKeyword(last)) {
            const Token& before = toks[sig[sig.size() - 2]];
            bool ends = before.isWord("AS") || before.isSymbol(")") ||
                        before.kind == TokenKind::String || before.kind == TokenKind::Number ||
                        before.kind == TokenKind::QuotedIdent ||
                        (before.kind == TokenKind::Word && !isKeyword(before));
            if (ends) continue;  // already aliased
        }
        std::string name;
        for (size_t k : sig) {
            const Token& t = toks[k];
            name += t.kind == TokenKind::Word ? toUpperAscii(t.text) : t.text;
        }
        insertTokens(toks, sig.back() + 1,
                     {{TokenKind::Space, " "},
                      {TokenKind::Word, "AS"},
                      {TokenKind::Space, " "},
                      {TokenKind::QuotedIdent, quoteIdentifier(name)}});
    }
}

void adaptStatementForms(Tokens& toks, SqlTarget target) {
    size_t s = nextSig(toks, 0);
    if (s >= toks.size()) return;
    size_t second = nextSig(toks, s + 1);
    if (toks[s].isWord("TRUNCATE") && second < toks.size() && toks[second].isWord("TABLE") &&
        target == SqlTarget::Sqlite) {
        toks[s].text = "DELETE";
        toks[second].text = "FROM";
    } else if (toks[s].isWord("DELETE") && second < toks.size() && !toks[second].isWord("FROM")) {
        insertTokens(toks, s + 1, {{TokenKind::Space, " "}, {TokenKind::Word, "FROM"}});
    }
}

int adaptWordsAndParams(Tokens& toks, SqlTarget target) {
    int params = 0;
    for (size_t i = 0; i < toks.size(); ++i) {
        Token& t = toks[i];
        if (t.kind == TokenKind::String && t.text == "''") {
            t = {TokenKind::Word, "NULL"};
        } else if (t.isWord("SYSDATE")) {
            size_t p = prevSig(toks, i);
            size_t n = nextSig(toks, i + 1);
            bool qualified = p != npos && toks[p].isSymbol(".");
            bool called = n < toks.size() && toks[n].isSymbol("(");
            if (!qualified && !called) t.text += "()";
        } else if (t.isWord("MINUS")) {
            t.text = "EXCEPT";
        } else if (t.kind == TokenKind::Param) {
            ++params;
            t.text = target == SqlTarget::Postgres ? "$" + std::to_string(params) : "?";
        }
    }
    return params;
}

// Adds an alias to every FROM-list subquery that has none.
void aliasFromSubqueries(Tokens& toks) {
    std::vector<bool> inFrom{false};
    std::vector<size_t> insertAt;
    for (size_t i = 0; i < toks.size(); ++i) {
        const Token& t = toks[i];
        if (!t.significant()) continue;
        if (t.isSymbol("(")) {
            size_t p = prevSig(toks, i);
            size_t n = nextSig(toks, i + 1);
            bool listPosition = p != npos && (toks[p].isWord("FROM") || toks[p].isWord("JOIN") ||
                                              (toks[p].isSymbol(",") && inFrom.back()));
            bool subquery = n < toks.size() && (toks[n].isWord("SELECT") || toks[n].isWord("WITH"));
            size_t close = matchParen(toks, i);
            if (listPosition && subquery && close != npos) {
                size_t after = nextSig(toks, close + 1);
                bool aliased =
                    after < toks.size() &&
                    (toks[after].isWord("AS") || toks[after].kind == TokenKind::QuotedIdent ||
                     (toks[after].kind == TokenKind::Word && !endsFromItem(toks[after]) &&
                      !isKeyword(toks[after])));
                if (!aliased) insertAt.push_back(close + 1);
            }
            inFrom.push_back(false);
        } else if (t.isSymbol(")")) {
            if (inFrom.size() > 1) inFrom.pop_back();
        } else if (t.isWord("FROM")) {
            inFrom.back() = true;
        } else if (endsFromItem(t) && !t.isWord("JOIN") && !t.isWord("ON") && !t.isWord("INNER") &&
                   !t.isWord("LEFT") && !t.isWord("RIGHT") && !t.isWord("FULL") &&
                   !t.isWord("CROSS")) {
            inFrom.back() = false;
        } else if (t.isWord("SELECT")) {
            inFrom.back() = false;
        }
    }
    int counter = static_cast<int>(insertAt.size());
    for (auto at = insertAt.rbegin(); at != insertAt.rend(); ++at) {
        insertTokens(
            toks, *at,
            {{TokenKind::Space, " "}, {TokenKind::Word, "tb_sub" + std::to_string(counter--)}});
    }
}

// Writes tokens back out, turning every chain a || b || ... into a concatenation that
// reads NULL as empty text and gives NULL for an empty result, as Oracle does.
class ConcatRenderer {
public:
    ConcatRenderer(const Tokens& toks, SqlTarget target) : toks_(toks), target_(target) {}

    std::string render(size_t b, size_t e) const {
        std::string out;
        size_t i = b;
        while (i < e) {
            if (!toks_[i].significant()) {
                out += toks_[i++].text;
                continue;
            }
            size_t pe = primaryEnd(i, e);
            if (pe == i) {
                out += toks_[i++].text;
                continue;
            }
            std::vector<std::pair<size_t, size_t>> operands{{i, pe}};
            size_t j = nextSig(toks_, pe);
            while (j < e && toks_[j].isSymbol("||")) {
                size_t k = nextSig(toks_, j + 1);
                size_t ke = k < e ? primaryEnd(k, e) : k;
                if (ke == k) break;
                operands.emplace_back(k, ke);
                j = nextSig(toks_, ke);
            }
            if (operands.size() == 1) {
                out += renderPrimary(i, pe);
                i = pe;
                continue;
            }
            std::string args;
            for (const auto& [ob, oe] : operands) {
                if (!args.empty()) args += ",";
                args += renderPrimary(ob, oe);
            }
            out += target_ == SqlTarget::Sqlite ? "ORA_CONCAT(" + args + ")"
                                                : "NULLIF(CONCAT(" + args + "),'')";
            i = operands.back().second;
        }
        return out;
    }

private:
    size_t primaryEnd(size_t i, size_t e) const {
        const Token& t = toks_[i];
        if (t.isSymbol("(")) {
            size_t m = matchParen(toks_, i);
            return m == npos || m >= e ? i : m + 1;
        }
        bool name =
            (t.kind == TokenKind::Word && !isKeyword(t)) || t.kind == TokenKind::QuotedIdent;
        if (!name && t.kind != TokenKind::String && t.kind != TokenKind::Number &&
            t.kind != TokenKind::Param)
            return i;
        size_t end = i + 1;
        if (!name) return end;
        while (true) {
            size_t dot = nextSig(toks_, end);
            if (dot >= e || !toks_[dot].isSymbol(".")) break;
            size_t part = nextSig(toks_, dot + 1);
            if (part >= e ||
                !(toks_[part].kind == TokenKind::Word ||
                  toks_[part].kind == TokenKind::QuotedIdent || toks_[part].isSymbol("*")))
                break;
            end = part + 1;
        }
        size_t open = nextSig(toks_, end);
        if (open < e && toks_[open].isSymbol("(")) {
            size_t m = matchParen(toks_, open);
            if (m != npos && m < e) end = m + 1;
        }
        return end;
    }

    std::string renderPrimary(size_t b, size_t e) const {
        std::string out;
        for (size_t i = b; i < e; ++i) {
            if (toks_[i].isSymbol("(")) {
                size_t m = matchParen(toks_, i);
                out += "(" + render(i + 1, m) + ")";
                i = m;
            } else {
                out += toks_[i].text;
            }
        }
        return out;
    }

    const Tokens& toks_;
    SqlTarget target_;
};

bool wordIs(std::string_view text, std::string_view keyword) {
    return text.size() == keyword.size() && equalsIgnoreCase(text, keyword);
}

// Most statements (the inserts above all) hold nothing to adapt but their empty
// literals. Those are adapted in one pass over the text, with no token list; a statement
// with any other construct the adaptation rewrites gives nullopt and takes the full path.
std::optional<AdaptedStatement> adaptPlainStatement(std::string_view sql) {
    AdaptedStatement result;
    result.sql.reserve(sql.size() + 16);
    bool first = true;
    bool afterOpenParen = false;
    size_t copied = 0;  // text before this offset is already in result.sql
    for (size_t pos = 0; pos < sql.size();) {
        const TokenSpan t = scanSqlToken(sql, pos);
        pos += t.length;
        if (t.kind == TokenKind::Space || t.kind == TokenKind::Comment) continue;
        const std::string_view text = sql.substr(t.pos, t.length);
        switch (t.kind) {
            case TokenKind::Word:
                if (wordIs(text, "SYSDATE") || wordIs(text, "MINUS")) return std::nullopt;
                if (first && (wordIs(text, "SELECT") || wordIs(text, "TRUNCATE") ||
                              wordIs(text, "DELETE"))) {
                    return std::nullopt;
                }
                if (afterOpenParen && (wordIs(text, "SELECT") || wordIs(text, "WITH"))) {
                    return std::nullopt;
                }
                break;
            case TokenKind::Param:
                return std::nullopt;
            case TokenKind::Symbol:
                if (text == "||") return std::nullopt;
                break;
            case TokenKind::String:
                if (text == "''") {
                    result.sql.append(sql, copied, t.pos - copied);
                    result.sql += "NULL";
                    copied = pos;
                }
                break;
            default:
                break;
        }
        first = false;
        afterOpenParen = t.kind == TokenKind::Symbol && text == "(";
    }
    result.sql.append(sql, copied, sql.size() - copied);
    return result;
}

}  // namespace

AdaptedStatement adaptOracleSql(std::string_view oracleSql, SqlTarget target) {
    if (std::optional<AdaptedStatement> plain = adaptPlainStatement(oracleSql))
        return *std::move(plain);
    Tokens toks = tokenizeSql(oracleSql);
    nameSelectExpressions(toks);
    adaptStatementForms(toks, target);
    AdaptedStatement result;
    result.parameterCount = adaptWordsAndParams(toks, target);
    aliasFromSubqueries(toks);
    result.sql = ConcatRenderer(toks, target).render(0, toks.size());
    return result;
}

}  // namespace appserver
