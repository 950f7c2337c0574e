// Helpers shared by the built-in functions.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "xbase/expr/ExprError.h"
#include "xbase/expr/ExprFunction.h"
#include "xbase/expr/TextCase.h"

namespace xbase::fnsupport {

// Texts a function makes from a count (SPACE, PADC/L/R, STR) are at most this long, so a
// hostile count cannot exhaust memory.
constexpr double kMaxMadeText = 65535;

// A count argument as a whole number, refused (with "A number value is required but
// invalid") beyond what a made text may hold.
inline std::size_t Count(double n) {
    if (!(n > 0)) return 0;
    if (n > kMaxMadeText) exprerr::ValueInvalid("number");
    return static_cast<std::size_t>(n);
}

// The day number of a date value, 0 for the empty date (and anything no day can be).
inline std::int32_t Julian(double date) {
    if (!(date >= 1 && date < 2147483647.0)) return 0;
    return static_cast<std::int32_t>(date);
}

inline const TextCase& Rules(ExprArgs& args) {
    const TextCase* rules = args.Context().compare.rules;
    return rules != nullptr ? *rules : TextCase::Current();
}

// The function's result made in the call's buffer k.
inline void SetMade(ExprArgs& args, ExprValue& out, int k = 0) { out.SetText(args.Buffer(k)); }

}  // namespace xbase::fnsupport
