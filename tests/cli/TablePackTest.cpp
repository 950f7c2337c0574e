// taxbridge table pack: deleted records leave the table, the memo file keeps only the
// memos of the records that stay, and nothing changes while another program has the
// table open.
#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"
#include "xbase/dataset/XBaseDataSet.h"
#include "xbase/table/TableTestSupport.h"

namespace {

using nlohmann::json;

// Prints what dbfread makes of the table: [name, note] per record, deleted ones skipped.
const char* kReadWithDbfread = R"(
import sys, json, dbfread
print(json.dumps([[r['NAME'], r['NOTE']] for r in dbfread.DBF(sys.argv[1])]))
)";

class TablePack : public ::testing::Test {
protected:
    void SetUp() override {
        tabletest::TableShape shape;
        shape.version = 0x83;
        shape.fields = {{"NAME", 'C', 6}, {"NOTE", 'M', 10}};
        path_ = dir_.file("goods.dbf");
        memo_ = dir_.file("goods.dbt");
        tabletest::WriteFile(path_, tabletest::BuildTable(shape));
        std::vector<std::uint8_t> header(512, 0);
        header[0] = 1;  // next free block
        tabletest::WriteFile(memo_, header);
        for (const char* name : {"one", "two", "three", "four"}) {
            // Each memo takes three blocks.
            ASSERT_EQ(
                Table({"append", path_, std::string("NAME=") + name, "NOTE=" + Note(name)}).status,
                0);
        }
        ASSERT_EQ(Table({"delete", path_, "1"}).status, 0);
        ASSERT_EQ(Table({"delete", path_, "3"}).status, 0);
    }

    static std::string Note(const std::string& name) { return name + std::string(1100, '.'); }

    clitest::RunResult Table(const std::vector<std::string>& args) {
        return clitest::TableCommand(args);
    }

    tabletest::TempDir dir_;
    std::string path_;
    std::string memo_;
};

TEST_F(TablePack, RemovesDeletedRecordsAndTheirMemos) {
    EXPECT_EQ(tabletest::ReadFile(memo_).size(), 512u + 4 * 3 * 512);
    clitest::RunResult pack = Table({"pack", path_});
    ASSERT_EQ(pack.status, 0) << pack.err;
    EXPECT_NE(pack.out.find("2 records kept, 2 removed"), std::string::npos) << pack.out;

    json dump = clitest::DumpJson({"--deleted", path_});
    ASSERT_EQ(dump.size(), 2u);
    EXPECT_EQ(dump[0]["NAME"], "two");
    EXPECT_EQ(dump[0]["NOTE"], Note("two"));
    EXPECT_EQ(dump[1]["NAME"], "four");
    EXPECT_EQ(dump[1]["NOTE"], Note("four"));
    auto table = tabletest::ReadFile(path_);
    EXPECT_EQ(table[4], 2);
    EXPECT_EQ(table.size(), 33u + 2 * 32 + 2 * 17 + 1);
    EXPECT_EQ(tabletest::ReadFile(memo_).size(), 512u + 2 * 3 * 512);

    if (clitest::PythonHas("dbfread")) {
        clitest::RunResult peer = clitest::Python(kReadWithDbfread, {path_});
        ASSERT_EQ(peer.status, 0) << peer.err;
        EXPECT_EQ(json::parse(peer.out), json::array({json::array({"two", Note("two")}),
                                                      json::array({"four", Note("four")})}));
    }
}

TEST_F(TablePack, IsRefusedWhileAnotherProgramHasTheTableOpen) {
    const auto table = tabletest::ReadFile(path_);
    const auto memo = tabletest::ReadFile(memo_);
    {
        xbase::XBaseDataSet holder;
        holder.SetTableName(path_);
        holder.Open();
        clitest::RunResult pack = Table({"pack", path_});
        EXPECT_EQ(pack.status, 1);
        EXPECT_NE(pack.err.find("in use"), std::string::npos) << pack.err;
    }
    EXPECT_EQ(tabletest::ReadFile(path_), table);
    EXPECT_EQ(tabletest::ReadFile(memo_), memo);
    EXPECT_EQ(Table({"pack", path_}).status, 0);
}

}  // namespace
