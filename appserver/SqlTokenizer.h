// Splits SQL text into tokens (words, quoted identifiers, string literals, numbers,
// parameters, operators, blanks and comments) so that statements can be adapted
// without ever touching the inside of a literal. Joining the texts of all tokens gives
// back the original text exactly.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace appserver {

enum class TokenKind {
    Space,        // blanks, tabs, line ends
    Comment,      // -- to line end, or /* ... */
    Word,         // identifier or keyword
    QuotedIdent,  // "name" with "" for a quote inside
    String,       // 'text' with '' for a quote inside; also $tag$ ... $tag$ bodies
    Number,       // 12, 12.5, .5, 1e3
    Param,        // ? or :name
    Symbol        // operators and punctuation: || <> != <= >= and single characters
};

struct Token {
    TokenKind kind;
    std::string text;

    bool significant() const { return kind != TokenKind::Space && kind != TokenKind::Comment; }
    // True when this is a word equal to `keyword` without regard to case.
    bool isWord(std::string_view keyword) const;
    bool isSymbol(std::string_view symbol) const {
        return kind == TokenKind::Symbol && text == symbol;
    }
};

// Where one token lies in the text, without a copy of it.
struct TokenSpan {
    TokenKind kind;
    size_t pos;
    size_t length;
};

// The token that starts at `pos` (which must be inside `sql`). Throws ServerError on an
// unterminated literal, quoted identifier or comment.
TokenSpan scanSqlToken(std::string_view sql, size_t pos);

// Throws ServerError on an unterminated literal, quoted identifier or comment.
std::vector<Token> tokenizeSql(std::string_view sql);

// Splits a script at the semicolons that stand outside literals and comments; blank
// statements are dropped.
std::vector<std::string> splitSqlStatements(std::string_view script);

// The value of a string literal token: quotes removed, doubled quotes undone.
std::string stringLiteralValue(const Token& token);

}  // namespace appserver
