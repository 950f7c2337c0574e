// What a person may ask of a refresh beyond its fixed steps.
#pragma once

namespace jobs {

struct RefreshOptions {
    // Lets a refresh empty a machine table when the sales system returns no rows for it
    // (otherwise that is an error and the table keeps its records).
    bool allowEmpty = false;
};

}  // namespace jobs
