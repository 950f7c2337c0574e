#include "xbase/index/IndexCheck.h"

#include <algorithm>
#include <set>
#include <vector>

#include "xbase/file/EngineError.h"
#include "xbase/index/IndexFile.h"
#include "xbase/index/IndexTag.h"
#include "xbase/table/DbfFile.h"

namespace xbase {

namespace {

struct Walk {
    IndexTag& tag;
    std::uint32_t records;
    bool byRecord;
    std::vector<IndexEntry> entries;
    std::set<std::int64_t> visited;
    std::string fault;

    std::string KeyText(const IndexKey& key) const { return "'" + key.Display() + "'"; }

    void Node(std::int64_t place, int depth, const IndexKey* bound, IndexNode* parent) {
        if (!fault.empty()) return;
        if (depth > IndexTag::kMaxDepth) {
            fault = "the tree is deeper than any index can be";
            return;
        }
        if (!visited.insert(place).second) {
            fault = "node " + std::to_string(place) + " is reached twice";
            return;
        }
        IndexNode node;
        node.tag = &tag;
        node.place = place;
        // Formats whose pages depend on the path (NTX) read a node with its parent on it.
        node.parent = parent;
        try {
            tag.ReadNode(place, node);
        } catch (const XBaseError& e) {
            fault = e.what();
            return;
        }
        for (std::size_t i = 0; i < node.entries.size(); ++i) {
            const IndexEntry& entry = node.entries[i];
            if (bound != nullptr && !entry.key.IsBeyond() && !bound->IsBeyond() &&
                tag.CompareInTag(entry.key, *bound) > 0) {
                fault = "key " + KeyText(entry.key) + " in node " + std::to_string(place) +
                        " lies above its separator " + KeyText(*bound);
                return;
            }
            if (!node.IsLeaf()) {
                node.position = static_cast<int>(i);
                Node(entry.child, depth + 1, &entry.key, &node);
                if (!fault.empty()) return;
                continue;
            }
            if (entry.recNo < 1 || entry.recNo > records) {
                fault = "key " + KeyText(entry.key) + " points at record " +
                        std::to_string(entry.recNo) + ", which the table does not have";
                return;
            }
            if (!entries.empty()) {
                const IndexEntry& prev = entries.back();
                int c = tag.CompareInTag(prev.key, entry.key);
                if (c > 0 || (c == 0 && byRecord && prev.recNo > entry.recNo)) {
                    fault = "key " + KeyText(entry.key) + " (record " +
                            std::to_string(entry.recNo) + ") stands after " + KeyText(prev.key) +
                            " (record " + std::to_string(prev.recNo) + ")";
                    return;
                }
            }
            entries.push_back(entry);
        }
    }
};

}  // namespace

std::string CheckTag(IndexTag& tag) {
    if (std::optional<std::string> own = tag.OwnCheck()) return *own;
    IndexFile& file = tag.File();
    DbfFile& table = file.Table();
    tag.Release();
    Walk walk{tag,
              static_cast<std::uint32_t>(std::max(table.RecordCount(), 0)),
              file.OrdersEqualKeysByRecord(),
              {},
              {},
              {}};
    file.Lock();
    try {
        walk.Node(tag.ReadRootOffset(), 0, nullptr, nullptr);
    } catch (...) {
        file.Unlock();
        throw;
    }
    file.Unlock();
    if (!walk.fault.empty()) return walk.fault;

    // What the records say.
    std::vector<IndexEntry> expected;
    file.ForEachRecord([&](std::uint32_t recNo) {
        if (tag.EvaluateFor()) expected.push_back(IndexEntry{tag.EvaluateKey(), recNo, recNo});
    });
    auto order = [&tag](const IndexEntry& a, const IndexEntry& b) {
        int c = tag.CompareInTag(a.key, b.key);
        return c != 0 ? c < 0 : a.recNo < b.recNo;
    };
    std::vector<IndexEntry> actual = walk.entries;
    std::stable_sort(actual.begin(), actual.end(), order);
    std::stable_sort(expected.begin(), expected.end(), order);
    auto describe = [](const IndexEntry& e) {
        return "'" + e.key.Display() + "' (record " + std::to_string(e.recNo) + ")";
    };

    if (!tag.Unique()) {
        std::size_t i = 0;
        for (; i < actual.size() && i < expected.size(); ++i) {
            const IndexEntry& a = actual[i];
            const IndexEntry& e = expected[i];
            if (a.recNo == e.recNo && tag.CompareInTag(a.key, e.key) == 0) continue;
            if (order(e, a))
                return "record " + std::to_string(e.recNo) + " has no entry for its key '" +
                       e.key.Display() + "'";
            return "entry " + describe(a) + " does not match its record";
        }
        if (i < expected.size()) {
            return "record " + std::to_string(expected[i].recNo) + " has no entry for its key '" +
                   expected[i].key.Display() + "'";
        }
        if (i < actual.size()) return "entry " + describe(actual[i]) + " does not match its record";
        return {};
    }

    // Unique: each key once, on a record holding it; every key of the records present.
    std::vector<IndexKey> recordKeys(walk.records + 1);
    std::vector<char> selected(walk.records + 1, 0);
    for (const IndexEntry& e : expected) {
        recordKeys[e.recNo] = e.key;
        selected[e.recNo] = 1;
    }
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const IndexEntry& a = actual[i];
        if (i > 0 && tag.CompareInTag(actual[i - 1].key, a.key) == 0)
            return "key '" + a.key.Display() + "' stands twice";
        if (!selected[a.recNo] || tag.CompareInTag(recordKeys[a.recNo], a.key) != 0) {
            return "entry " + describe(a) + " does not match its record";
        }
    }
    std::size_t j = 0;
    for (const IndexEntry& e : expected) {
        while (j < actual.size() && tag.CompareInTag(actual[j].key, e.key) < 0) ++j;
        if (j >= actual.size() || tag.CompareInTag(actual[j].key, e.key) != 0) {
            return "key '" + e.key.Display() + "' of record " + std::to_string(e.recNo) +
                   " has no entry";
        }
    }
    return {};
}

}  // namespace xbase
