// The values an expression carries while it is evaluated: a type code and the value.
//
// Text values are views. A node that makes text writes it into a buffer it owns and
// hands out a view of it; a field variable hands out a view into the record buffer. A
// view stays valid until the node that made it is evaluated again or the record buffer
// changes, which is why evaluation needs no allocation for text it only passes on.
#pragma once

#include <cstdint>
#include <string_view>

namespace xbase {

// Type codes; 4 to 7 form the numeric family (numbers and dates may meet in one operation).
enum class ExprType : std::uint8_t {
    None = 1,  // an argument that was not given
    Text = 3,
    Numeric = 4,
    Date = 6,  // Julian day number as a double; the empty date is kEmptyDate
    Logical = 8,
    Other = 9,  // the text form of a field of another type
};

// The empty date as a value.
constexpr double kEmptyDate = 1e100;

constexpr bool InNumericFamily(ExprType t) {
    const int code = static_cast<int>(t);
    return code >= 4 && code <= 7;
}

// The type letter users see: C, N, D, L; U for none and other.
constexpr char TypeLetter(ExprType t) {
    switch (t) {
        case ExprType::Text:
            return 'C';
        case ExprType::Numeric:
            return 'N';
        case ExprType::Date:
            return 'D';
        case ExprType::Logical:
            return 'L';
        default:
            return 'U';
    }
}

struct ExprValue {
    ExprType type = ExprType::None;
    bool logical = false;
    double number = 0;      // numeric value, or the date's day number
    std::string_view text;  // text and other values

    void SetText(std::string_view t) {
        type = ExprType::Text;
        text = t;
    }
    void SetNumber(double n) {
        type = ExprType::Numeric;
        number = n;
    }
    void SetDate(double d) {
        type = ExprType::Date;
        number = d;
    }
    void SetLogical(bool b) {
        type = ExprType::Logical;
        logical = b;
    }
};

// An evaluated result converted for index keys: text stays text, a number is a double, a
// date an integer day number (0 for the empty date), a logical a boolean.
struct ExprKey {
    char type = 'C';        // 'C', 'N', 'D' or 'L'
    std::string_view text;  // 'C': the key text (valid as an ExprValue's text)
    double number = 0;      // 'N'
    std::int32_t date = 0;  // 'D'
    bool logical = false;   // 'L'

    // Bytes the value needs in a key: the text's length, 8 for numbers and dates (stored
    // as doubles by the index formats that store binary keys), 1 for logicals.
    int Length() const {
        switch (type) {
            case 'C':
                return static_cast<int>(text.size());
            case 'L':
                return 1;
            default:
                return 8;
        }
    }
};

}  // namespace xbase
