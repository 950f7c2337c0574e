// `taxbridge index` over compound index files: the peer engine's files walk and seek as
// that engine reported; tables flagged with a production index keep it current through
// `taxbridge table` writes; `index create` adds tags to the file and replaces them by name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "xbase/table/TableTestSupport.h"

namespace {

using nlohmann::json;

const std::string kPeerDir = std::string(TAXBRIDGE_FIXTURES_DIR) + "/peer-xbase/";

const json& Manifest() {
    static const json manifest = json::parse(std::ifstream(kPeerDir + "MANIFEST.json"));
    return manifest;
}

// A writable copy of one peer table set (table, memo, compound index).
struct PeerCopy {
    tabletest::TempDir dir;
    std::string table;
    std::string cdx;
    explicit PeerCopy(const std::string& base) {
        for (const char* ext : {".dbf", ".fpt", ".cdx"}) {
            const std::string from = kPeerDir + base + ext;
            if (!std::filesystem::exists(from)) continue;
            const std::string to = dir.path() + "/" + base + ext;
            std::filesystem::copy_file(from, to);
            std::filesystem::permissions(to, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add);
        }
        table = dir.path() + "/" + base + ".dbf";
        cdx = dir.path() + "/" + base + ".cdx";
    }
};

json Index(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"index"};
    all.insert(all.end(), args.begin(), args.end());
    all.push_back("--format");
    all.push_back("json");
    const clitest::RunResult r = clitest::Taxbridge(all);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? json::parse(r.out) : json();
}

json Walk(const PeerCopy& copy, const std::string& tag) {
    return Index({"walk", copy.table, copy.cdx, "--tag", tag, "--deleted"});
}

struct Fixture {
    const char* key;
    const char* base;
};

class PeerCdxCommands : public testing::TestWithParam<Fixture> {};

TEST_P(PeerCdxCommands, WalksAndSeeksGiveThePeersAnswers) {
    const json& fixture = Manifest()["fixtures"][GetParam().key];
    PeerCopy copy(GetParam().base);
    json orders;
    if (fixture.contains("order_file"))
        orders = json::parse(std::ifstream(kPeerDir + "big.orders.json"));
    for (const json& t : fixture["tags"]) {
        const std::string name = t["name"];
        const json expected =
            t.contains("order") ? t["order"] : orders[t["order_list"].get<std::string>()];
        EXPECT_EQ(Walk(copy, name), expected) << name;
    }
    for (const json& s : fixture["seeks"]) {
        if (s["last"].get<bool>()) continue;  // the command seeks the first key only
        std::string key;
        if (s["key_type"] == "C") {
            key = s["key"].get<std::string>();
            key.resize(s["key_len"].get<std::size_t>(), ' ');
            key = clitest::LatinBytesAsUtf8(key, "GBK");
            if (key.empty()) continue;  // a byte no GBK text holds cannot be typed
        } else {
            key = s["key"].is_string() ? s["key"].get<std::string>() : s["key"].dump();
        }
        std::vector<std::string> args = {"seek", copy.table, copy.cdx, key, "--tag", s["tag"]};
        if (s["softseek"].get<bool>()) args.push_back("--soft");
        if (!s["set_deleted"].get<bool>()) args.push_back("--deleted");
        const json got = Index(args);
        EXPECT_EQ(got, json({{"found", s["found"]}, {"eof", s["eof"]}, {"recno", s["recno"]}}))
            << s.dump();
    }
}

INSTANTIATE_TEST_SUITE_P(Peer, PeerCdxCommands,
                         testing::Values(Fixture{"p1_cdx_fpt32", "fox32"},
                                         Fixture{"p1_cdx_fpt512", "fox512"},
                                         Fixture{"p3_big_cdx", "big"},
                                         Fixture{"p4_cdx_fpt32_edited", "fox32e"}),
                         [](const auto& info) { return std::string(info.param.base); });

// The peer's UPPER() also changes the second byte of a double-byte character; ours leaves
// such characters whole, so the peer's ITEMU keys of those records are not ours.
const char* const kPeerUpperTag = "ITEMU";

TEST(CdxCommands, TableWritesKeepTheProductionIndexCurrent) {
    PeerCopy copy("fox32");
    auto table = [&](std::vector<std::string> args) {
        args.insert(args.begin() + 1, copy.table);
        const clitest::RunResult r = clitest::TableCommand(args);
        EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
    };
    const std::vector<std::uint8_t> before = tabletest::ReadFile(copy.cdx);
    for (int i = 0; i < 6; ++i) {
        table({"append", "ITEM=Appended " + std::to_string(i % 3),
               i % 2 == 0 ? "SKU=HB-0006" : "SKU=AP-" + std::to_string(i),
               "QTY=" + std::to_string(i * 7 - 12), "COST=" + std::to_string(i * 3) + ".125",
               "SOLD=2001-03-0" + std::to_string(i + 1)});
    }
    for (const char* r : {"1", "17", "250", "499"})
        table({"set", r, "SKU=XK123456", "QTY=-3", "COST=-1.5"});
    for (const char* r : {"2", "100", "432"}) table({"delete", r});
    EXPECT_NE(tabletest::ReadFile(copy.cdx), before);

    const clitest::RunResult check =
        clitest::Taxbridge({"index", "check", copy.table, copy.cdx, "--format", "json"});
    const json rows = json::parse(check.out);
    ASSERT_EQ(rows.size(), 9u);
    for (const json& row : rows) {
        if (row["tag"] != kPeerUpperTag) {
            EXPECT_TRUE(row["fault"].is_null()) << row.dump();
        }
    }
    std::vector<json> edited;
    const std::vector<std::string> nonUnique = {"COST", "ITEMBIG", "QTYDESC", "QTYITEM",
                                                "SKU",  "SKUSOLD", "SOLD"};
    for (const std::string& tag : nonUnique) edited.push_back(Walk(copy, tag));
    EXPECT_EQ(edited[4].size(), 506u);
    ASSERT_EQ(clitest::Taxbridge({"index", "reindex", copy.table, copy.cdx}).status, 0);
    EXPECT_EQ(clitest::Taxbridge({"index", "check", copy.table, copy.cdx}).status, 0);
    for (std::size_t i = 0; i < nonUnique.size(); ++i)
        EXPECT_EQ(Walk(copy, nonUnique[i]), edited[i]) << nonUnique[i];
}

TEST(CdxCommands, CreateAddsTagsToTheFileAndReplacesATagOfTheSameName) {
    tabletest::TempDir dir;
    const std::string table = dir.path() + "/T.DBF";
    tabletest::WriteFile(table,
                         tabletest::BuildTable(tabletest::SimpleShape({"B", "C", "A", "C"})));
    const std::string cdx = dir.path() + "/OTHER.CDX";
    auto create = [&](const std::vector<std::string>& more) {
        std::vector<std::string> args = {"index", "create", table, cdx};
        args.insert(args.end(), more.begin(), more.end());
        const clitest::RunResult r = clitest::Taxbridge(args);
        EXPECT_EQ(r.status, 0) << r.err;
    };
    create({"--tag", "NAME", "--key", "NAME"});
    create({"--tag", "BACK", "--key", "NAME", "--descending"});
    create({"--tag", "name", "--key", "NAME", "--for", "NAME <> 'A'"});
    const json list = Index({"list", table, cdx});
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]["tag"], "BACK");
    EXPECT_EQ(list[1]["tag"], "NAME");
    EXPECT_EQ(list[1]["for"], "NAME <> 'A'");
    EXPECT_EQ(list[1]["keys"], 3);
    EXPECT_EQ(Index({"walk", table, cdx, "--tag", "BACK"}), json({4, 2, 1, 3}));
    EXPECT_EQ(Index({"walk", table, cdx, "--tag", "NAME"}), json({1, 2, 4}));
    EXPECT_EQ(clitest::Taxbridge({"index", "check", table, cdx}).status, 0);
}

}  // namespace
