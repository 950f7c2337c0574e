// Random record writes against index tags for the maintenance tests of every format: the
// tags must pass the check all along, and their walks must hold the keys of a fresh build.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "IndexTestSupport.h"

namespace indextest {

// One tag over the key table (NAME C(6), QTY N(5,0)).
struct EditedTag {
    const char* tag;
    const char* key;
    const char* forExpr;
    bool unique;
    bool descending;
    bool nameInKey;  // the key holds NAME
    bool qtyInKey;   // the key holds QTY
};

// Makes `steps` random appends, key changes, deletions and recalls (the same for one seed)
// through the handler, whose tags 1..n are `tags` in that order. Every 100 steps each tag
// must pass CheckTag and `every100(step)` runs. Reports a failure and returns false at the
// first tag that does not pass.
bool RandomEdits(xbase::DbfHandler& table, const std::vector<EditedTag>& tags, unsigned seed,
                 int steps, const std::function<void(int step)>& every100 = {});

// The key fields ("NAME/QTY", a part empty when the key lacks it) of each record in the
// walk of tag `name` (equal keys may stand in any order, their fields are the same).
std::vector<std::string> WalkKeys(xbase::DbfHandler& table, const std::string& name,
                                  const EditedTag& tag);

}  // namespace indextest
