// Damaged index files for the hostile-page tests: a damage is a named edit of a good
// file's bytes; the walk of the damaged file must end in error 2112 naming the file.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "xbase/file/EngineError.h"

namespace indextest {

struct Damage {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> apply;
};

// Expects `walk` to fail with 2112 and a message naming `name`.
template <class WalkFn>
void ExpectBadIndex(const char* what, const std::string& name, WalkFn walk) {
    try {
        walk();
        ADD_FAILURE() << what << ": no error";
    } catch (const xbase::XBaseError& e) {
        EXPECT_EQ(e.code(), 2112) << what;
        EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << what << ": " << e.what();
    }
}

}  // namespace indextest
