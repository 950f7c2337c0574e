#include "RandomEdits.h"

#include <gtest/gtest.h>

#include <random>

#include "xbase/index/IndexCheck.h"
#include "xbase/index/IndexTag.h"

namespace indextest {

bool RandomEdits(xbase::DbfHandler& table, const std::vector<EditedTag>& tags, unsigned seed,
                 int steps, const std::function<void(int step)>& every100) {
    std::mt19937 random(seed);
    auto name = [&] {
        return std::string(1, static_cast<char>('A' + random() % 8)) +
               static_cast<char>('A' + random() % 4);
    };
    for (int step = 1; step <= steps; ++step) {
        const std::int32_t count = table.RecordCount();
        const unsigned what = random() % 5;
        const auto n = static_cast<std::int32_t>(1 + random() % static_cast<unsigned>(count));
        if (what <= 1 || count < 5) {
            Append(table, name(), static_cast<int>(random() % 100));
        } else if (what == 2) {
            Change(table, n, name(), static_cast<int>(random() % 100));
        } else {
            table.GoTo(n);
            if (what == 3)
                table.DeleteRecord();
            else
                table.RecallRecord();
        }
        if (step % 100 != 0) continue;
        for (std::size_t t = 0; t < tags.size(); ++t) {
            xbase::IndexTag* tag = table.TagByOrdinal(static_cast<int>(t) + 1);
            const std::string fault = xbase::CheckTag(*tag);
            if (!fault.empty()) {
                ADD_FAILURE() << tags[t].tag << " after step " << step << ": " << fault;
                return false;
            }
        }
        if (every100) every100(step);
    }
    return true;
}

std::vector<std::string> WalkKeys(xbase::DbfHandler& table, const std::string& name,
                                  const EditedTag& tag) {
    table.SelectTag(name);
    std::vector<std::string> keys;
    for (std::int32_t rec : Walk(table)) {
        table.GoTo(rec);
        keys.push_back((tag.nameInKey ? table.GetFieldText("NAME") : "") + "/" +
                       (tag.qtyInKey ? table.GetFieldText("QTY") : ""));
    }
    return keys;
}

}  // namespace indextest
