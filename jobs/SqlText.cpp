#include "jobs/SqlText.h"

namespace jobs {

void AppendQuoted(std::string& statement, std::string_view value) {
    std::size_t start = 0;
    for (std::size_t quote = value.find('\''); quote != std::string_view::npos;
         quote = value.find('\'', start)) {
        statement.append(value.substr(start, quote + 1 - start));
        statement.push_back('\'');
        start = quote + 1;
    }
    statement.append(value.substr(start));
}

std::string QuoteValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    AppendQuoted(out, value);
    return out;
}

}  // namespace jobs
