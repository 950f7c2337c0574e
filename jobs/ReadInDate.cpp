#include "jobs/ReadInDate.h"

namespace jobs {

std::string& ReadInDate() {
    static std::string date;
    return date;
}

}  // namespace jobs
