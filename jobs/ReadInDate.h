// The last confirmed invoice read-in date, "yyyy-mm-dd", written by the date window and
// read by the check window. Empty until the first confirmation.
#pragma once

#include <string>

namespace jobs {

std::string& ReadInDate();

}  // namespace jobs
