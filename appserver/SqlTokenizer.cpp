#include "appserver/SqlTokenizer.h"

#include <cctype>

#include "appserver/ServerError.h"
#include "appserver/TextCase.h"

namespace appserver {

namespace {

// Bytes below 0x80 are classified here directly (this runs for every byte of every
// statement); the rest go to the C library as before.
bool isAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(unsigned char c) {
    if (c < 0x80) return c == ' ' || (c >= '\t' && c <= '\r');
    return std::isspace(c);
}
bool isWordStart(unsigned char c) { return c >= 0x80 || isAsciiLetter(c) || c == '_'; }
bool isWordChar(unsigned char c) {
    return c >= 0x80 || isAsciiLetter(c) || isDigit(static_cast<char>(c)) || c == '_' || c == '$' ||
           c == '#';
}

// Length of the quoted run starting at `pos` (opening quote `q`), where a doubled quote
// stands for one quote character.
size_t quotedLength(std::string_view sql, size_t pos, char q, const char* what) {
    size_t i = pos + 1;
    while (true) {
        i = sql.find(q, i);
        if (i == std::string_view::npos) {
            throw ServerError(std::string("Unterminated ") + what + " in SQL text");
        }
        if (i + 1 < sql.size() && sql[i + 1] == q) {
            i += 2;
            continue;
        }
        return i + 1 - pos;
    }
}

// Length of a $tag$ ... $tag$ body starting at `pos`, or 0 when `pos` does not open one.
size_t dollarQuoteLength(std::string_view sql, size_t pos) {
    size_t i = pos + 1;
    while (i < sql.size() && isWordChar(static_cast<unsigned char>(sql[i])) && sql[i] != '$') ++i;
    if (i >= sql.size() || sql[i] != '$') return 0;
    if (i > pos + 1 && isDigit(sql[pos + 1])) return 0;
    std::string_view tag = sql.substr(pos, i - pos + 1);
    size_t end = sql.find(tag, i + 1);
    if (end == std::string_view::npos) throw ServerError("Unterminated quoted body in SQL text");
    return end + tag.size() - pos;
}

size_t numberLength(std::string_view sql, size_t pos) {
    size_t i = pos;
    while (i < sql.size() && isDigit(sql[i])) ++i;
    if (i < sql.size() && sql[i] == '.') {
        ++i;
        while (i < sql.size() && isDigit(sql[i])) ++i;
    }
    if (i < sql.size() && (sql[i] == 'e' || sql[i] == 'E')) {
        size_t j = i + 1;
        if (j < sql.size() && (sql[j] == '+' || sql[j] == '-')) ++j;
        if (j < sql.size() && isDigit(sql[j])) {
            i = j;
            while (i < sql.size() && isDigit(sql[i])) ++i;
        }
    }
    return i - pos;
}

}  // namespace

bool Token::isWord(std::string_view keyword) const {
    return kind == TokenKind::Word && equalsIgnoreCase(text, keyword);
}

TokenSpan scanSqlToken(std::string_view sql, size_t pos) {
    auto span = [&](TokenKind kind, size_t length) { return TokenSpan{kind, pos, length}; };
    const char c = sql[pos];
    const char next = pos + 1 < sql.size() ? sql[pos + 1] : '\0';
    if (isBlank(static_cast<unsigned char>(c))) {
        size_t i = pos;
        while (i < sql.size() && isBlank(static_cast<unsigned char>(sql[i]))) ++i;
        return span(TokenKind::Space, i - pos);
    }
    if (c == '-' && next == '-') {
        size_t end = sql.find('\n', pos);
        return span(TokenKind::Comment, (end == std::string_view::npos ? sql.size() : end) - pos);
    }
    if (c == '/' && next == '*') {
        size_t end = sql.find("*/", pos + 2);
        if (end == std::string_view::npos) throw ServerError("Unterminated comment in SQL text");
        return span(TokenKind::Comment, end + 2 - pos);
    }
    if (c == '\'') return span(TokenKind::String, quotedLength(sql, pos, '\'', "string literal"));
    if (c == '"') return span(TokenKind::QuotedIdent, quotedLength(sql, pos, '"', "quoted name"));
    if (c == '$') {
        if (size_t length = dollarQuoteLength(sql, pos); length > 0) {
            return span(TokenKind::String, length);
        }
    }
    if (isDigit(c) || (c == '.' && isDigit(next))) {
        return span(TokenKind::Number, numberLength(sql, pos));
    }
    if (isWordStart(static_cast<unsigned char>(c))) {
        size_t i = pos;
        while (i < sql.size() && isWordChar(static_cast<unsigned char>(sql[i]))) ++i;
        return span(TokenKind::Word, i - pos);
    }
    if (c == '?') return span(TokenKind::Param, 1);
    if (c == ':' && (isWordStart(static_cast<unsigned char>(next)) || isDigit(next))) {
        size_t i = pos + 1;
        while (i < sql.size() && isWordChar(static_cast<unsigned char>(sql[i]))) ++i;
        return span(TokenKind::Param, i - pos);
    }
    if (c == '$' && isDigit(next)) {
        size_t i = pos + 1;
        while (i < sql.size() && isDigit(sql[i])) ++i;
        return span(TokenKind::Param, i - pos);
    }
    static const char* const pairs[] = {"||", "<>", "!=", "<=", ">=", "::"};
    size_t length = 1;
    for (const char* p : pairs) {
        if (c == p[0] && next == p[1]) length = 2;
    }
    return span(TokenKind::Symbol, length);
}

std::vector<Token> tokenizeSql(std::string_view sql) {
    std::vector<Token> tokens;
    size_t pos = 0;
    while (pos < sql.size()) {
        const TokenSpan t = scanSqlToken(sql, pos);
        tokens.push_back({t.kind, std::string(sql.substr(t.pos, t.length))});
        pos += t.length;
    }
    return tokens;
}

std::vector<std::string> splitSqlStatements(std::string_view script) {
    std::vector<std::string> statements;
    std::string current;
    bool hasContent = false;
    auto flush = [&] {
        if (hasContent) statements.push_back(current);
        current.clear();
        hasContent = false;
    };
    for (const Token& token : tokenizeSql(script)) {
        if (token.isSymbol(";")) {
            flush();
            continue;
        }
        if (token.significant()) hasContent = true;
        if (hasContent) current += token.text;
    }
    flush();
    return statements;
}

std::string stringLiteralValue(const Token& token) {
    const std::string& t = token.text;
    if (t.size() >= 2 && t.front() == '$') {
        size_t open = t.find('$', 1);
        return t.substr(open + 1, t.size() - 2 * (open + 1));
    }
    std::string value;
    for (size_t i = 1; i + 1 < t.size(); ++i) {
        value += t[i];
        if (t[i] == '\'' && t[i + 1] == '\'') ++i;
    }
    return value;
}

}  // namespace appserver
