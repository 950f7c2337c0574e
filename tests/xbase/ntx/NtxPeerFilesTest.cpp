// Clipper index files written by another program: every tree walks in the order that
// program reports, passes the check, and a bulk build from the same keys gives the order
// that program's rebuild gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "IndexFileImage.h"
#include "xbase/index/ntx/NtxSorter.h"
#include "xbase/index/ntx/NtxWalker.h"

namespace xbase {
namespace {

using indextest::FileImage;
using Keys = std::vector<std::pair<std::string, std::uint32_t>>;

Keys WalkFile(const FileImage& file, const std::string& name, ntx::Header* header = nullptr) {
    ntx::NtxWalker walker(name, file.bytes.size(), file.Reader());
    ntx::Header h = walker.ReadHeader();
    if (header != nullptr) *header = h;
    Keys keys;
    walker.Walk([&](std::string_view k, std::uint32_t r) { keys.emplace_back(std::string(k), r); });
    return keys;
}

std::vector<std::uint32_t> Recnos(const Keys& keys) {
    std::vector<std::uint32_t> out;
    for (const auto& k : keys) out.push_back(k.second);
    return out;
}

std::vector<std::uint32_t> ExpectedOrder(const nlohmann::json& tag) {
    if (tag.contains("order")) return tag["order"].get<std::vector<std::uint32_t>>();
    static const nlohmann::json big = [] {
        std::ifstream in(indextest::PeerDir() + "big.orders.json");
        return nlohmann::json::parse(in);
    }();
    return big[tag["order_list"].get<std::string>()].get<std::vector<std::uint32_t>>();
}

TEST(NtxPeerFiles, WalksEqualTheOtherProgramsOrderAndPassTheCheck) {
    int files = 0;
    for (const char* set : {"p2_ntx_fpt32", "p2_ntx_dbt", "p3_big_ntx", "p4_ntx_fpt32_edited"}) {
        const auto& fixture = indextest::Manifest()["fixtures"][set];
        for (const auto& tag : fixture["tags"]) {
            const std::string name = tag["file"];
            FileImage file{indextest::ReadFile(indextest::PeerDir() + name)};
            ntx::Header header;
            Keys keys = WalkFile(file, name, &header);
            EXPECT_EQ(Recnos(keys), ExpectedOrder(tag)) << name;
            EXPECT_EQ(keys.size(), tag["keycount"].get<std::size_t>()) << name;
            EXPECT_EQ(header.tagName, tag["name"].get<std::string>()) << name;
            EXPECT_EQ(header.keyExpr, tag["key"].get<std::string>()) << name;
            EXPECT_EQ(header.forExpr, tag["for"].get<std::string>()) << name;
            EXPECT_EQ(header.unique, tag["unique"].get<bool>()) << name;
            EXPECT_EQ(header.descending, tag["descending"].get<bool>()) << name;
            EXPECT_EQ(header.version, fixture["index_counters"][name].get<int>()) << name;
            ntx::NtxWalker walker(name, file.bytes.size(), file.Reader());
            walker.ReadHeader();
            std::uint64_t count = 0;
            EXPECT_EQ(walker.Check(count), "") << name;
            ++files;
        }
    }
    EXPECT_EQ(files, 23);
}

TEST(NtxPeerFiles, EmptyDatesAndNegativeNumbersAreStoredAsTheOtherProgramWritesThem) {
    FileImage sold{indextest::ReadFile(indextest::PeerDir() + "clip_sold.ntx")};
    Keys keys = WalkFile(sold, "clip_sold.ntx");
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys.front(), std::make_pair(std::string(8, ' '), std::uint32_t{4}));
    FileImage cost{indextest::ReadFile(indextest::PeerDir() + "clip_cost.ntx")};
    keys = WalkFile(cost, "clip_cost.ntx");
    EXPECT_EQ(keys.front(),
              std::make_pair(ntx::EncodeNumber(-999999.999, 11, 3), std::uint32_t{7}));
    EXPECT_EQ(keys.back(), std::make_pair(ntx::EncodeNumber(9999999.999, 11, 3), std::uint32_t{6}));
}

// Feeds the keys in record order (as a build reads the table) to the sorter.
FileImage Rebuild(Keys keys, const ntx::Header& header) {
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.second < b.second; });
    NtxSorter sorter(header);
    for (const auto& k : keys) sorter.AddText(k.first, k.second);
    FileImage out;
    std::uint64_t end = 0;
    ntx::Header h = header;
    h.root = sorter.Write(ntx::kPageSize, out.Writer(), end);
    std::uint8_t page[ntx::kPageSize];
    h.Encode(page);
    out.Write(0, page, sizeof page);
    EXPECT_EQ(out.bytes.size(), end);
    return out;
}

TEST(NtxPeerFiles, BuildFromTheSameKeysGivesTheOtherProgramsRebuildOrder) {
    for (const char* set : {"p2_ntx_fpt32", "p3_big_ntx", "p4_ntx_fpt32_edited"}) {
        const auto& fixture = indextest::Manifest()["fixtures"][set];
        for (const auto& tag : fixture["tags"]) {
            // A unique tag's rebuild may take keys the edited tree no longer holds.
            if (tag["unique"].get<bool>()) continue;
            const std::string name = tag["file"];
            FileImage file{indextest::ReadFile(indextest::PeerDir() + name)};
            ntx::Header header;
            Keys keys = WalkFile(file, name, &header);
            FileImage rebuilt = Rebuild(keys, header);
            std::vector<std::uint32_t> expected = ExpectedOrder(tag);
            if (fixture.contains("after_reindex_differs") &&
                fixture["after_reindex_differs"].contains(tag["name"].get<std::string>()))
                expected = fixture["after_reindex_differs"][tag["name"].get<std::string>()]["order"]
                               .get<std::vector<std::uint32_t>>();
            EXPECT_EQ(Recnos(WalkFile(rebuilt, name)), expected) << name;
            ntx::NtxWalker walker(name, rebuilt.bytes.size(), rebuilt.Reader());
            walker.ReadHeader();
            std::uint64_t count = 0;
            EXPECT_EQ(walker.Check(count), "") << name;
            EXPECT_EQ(count, keys.size()) << name;
        }
    }
}

}  // namespace
}  // namespace xbase
