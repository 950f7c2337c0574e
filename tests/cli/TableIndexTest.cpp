// taxbridge table dump --index/--tag (records in a tag's order) and --index/--ignore-index
// on the commands that write: listed index files stay current, a production index the
// header flags but that cannot be kept stops the write unless it is ignored.
#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"
#include "xbase/table/TableTestSupport.h"

namespace {

using nlohmann::json;

class TableIndex : public ::testing::Test {
protected:
    void SetUp() override {
        tabletest::TableShape shape;
        shape.fields = {{"NAME", 'C', 6}, {"QTY", 'N', 4}};
        shape.records = {"pear     3", "apple   12", "fig      7", "kiwi     1"};
        path_ = dir_.file("goods.dbf");
        tabletest::WriteFile(path_, tabletest::BuildTable(shape));
        Create("NAMES.NDX", "NAME");
        Create("QTYS.NDX", "QTY");
    }

    void Create(const std::string& file, const std::string& key) {
        clitest::RunResult r =
            clitest::Taxbridge({"index", "create", path_, dir_.file(file), "--key", key});
        ASSERT_EQ(r.status, 0) << r.err;
    }

    // The NAME of each record the dump lists.
    std::vector<std::string> Names(const std::vector<std::string>& extra) {
        std::vector<std::string> args{"dump", path_};
        args.insert(args.end(), extra.begin(), extra.end());
        clitest::RunResult r = clitest::TableCommand(args);
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::string> names;
        if (r.status != 0) return names;
        for (const json& row : json::parse(r.out)) names.push_back(row["NAME"]);
        return names;
    }

    clitest::RunResult Check(const std::string& file) {
        return clitest::Taxbridge({"index", "check", path_, dir_.file(file)});
    }

    tabletest::TempDir dir_;
    std::string path_;
};

TEST_F(TableIndex, DumpListsTheRecordsInTagOrder) {
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> names;
    } cases[] = {
        {{}, {"pear", "apple", "fig", "kiwi"}},
        {{"--index", dir_.file("NAMES.NDX")}, {"apple", "fig", "kiwi", "pear"}},
        {{"--index", dir_.file("QTYS.NDX"), "--tag", "qtys"}, {"kiwi", "pear", "fig", "apple"}},
        {{"--index", dir_.file("NAMES.NDX"), dir_.file("QTYS.NDX"), "--tag", "QTYS"},
         {"kiwi", "pear", "fig", "apple"}},
        {{"--index", dir_.file("NAMES.NDX"), "--filter", "QTY > 2"}, {"apple", "fig", "pear"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Names(c.args), c.names) << ::testing::PrintToString(c.args);
}

TEST_F(TableIndex, DumpRefusesWhatItCannotOrder) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--index", dir_.file("NAMES.NDX"), dir_.file("QTYS.NDX")},
         "--tag is needed: the index files hold the tags NAMES, QTYS"},
        {{"--index", dir_.file("NAMES.NDX"), "--tag", "NOPE"}, "Cannot find index tag NOPE"},
        {{"--tag", "NAMES"}, "--tag needs --index"},
        {{"--index", dir_.file("GONE.NDX")}, "Cannot find file"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"dump", path_};
        args.insert(args.end(), c.args.begin(), c.args.end());
        clitest::RunResult r = clitest::TableCommand(args);
        EXPECT_NE(r.status, 0) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << c.message;
    }
}

TEST_F(TableIndex, WritesKeepTheListedIndexFilesCurrent) {
    const std::string names = dir_.file("NAMES.NDX");
    const std::string qtys = dir_.file("QTYS.NDX");
    const std::vector<std::vector<std::string>> writes = {
        {"append", path_, "NAME=date", "QTY=5", "--index", names, qtys},
        {"set", path_, "1", "NAME=banana", "--index", names, qtys},
        {"delete", path_, "2", "--index", names, qtys},
        {"recall", path_, "2", "--index", names, qtys},
    };
    for (const auto& write : writes) {
        clitest::RunResult r = clitest::TableCommand(write);
        ASSERT_EQ(r.status, 0) << write[0] << ": " << r.err;
        EXPECT_EQ(Check("NAMES.NDX").status, 0) << write[0] << ": " << Check("NAMES.NDX").out;
        EXPECT_EQ(Check("QTYS.NDX").status, 0) << write[0];
    }
    EXPECT_EQ(Names({"--index", names}),
              (std::vector<std::string>{"apple", "banana", "date", "fig", "kiwi"}));
    EXPECT_EQ(Names({"--index", qtys}),
              (std::vector<std::string>{"kiwi", "banana", "date", "fig", "apple"}));
    // A write that does not name the file leaves it stale, which the check reports.
    ASSERT_EQ(clitest::TableCommand({"append", path_, "NAME=zz", "QTY=9"}).status, 0);
    EXPECT_EQ(Check("NAMES.NDX").status, 1);
}

TEST_F(TableIndex, AMissingProductionIndexStopsWritesUnlessIgnored) {
    // Header byte 28 flags a production index (GOODS.CDX); there is none.
    std::vector<std::uint8_t> bytes = tabletest::ReadFile(path_);
    bytes[28] = 0x01;
    tabletest::WriteFile(path_, bytes);
    clitest::RunResult refused = clitest::TableCommand({"append", path_, "NAME=date"});
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.err.find("Production index"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("is missing"), std::string::npos) << refused.err;
    EXPECT_EQ(tabletest::ReadFile(path_), bytes);

    clitest::RunResult ignored =
        clitest::TableCommand({"append", path_, "NAME=date", "--ignore-index"});
    ASSERT_EQ(ignored.status, 0) << ignored.err;
    EXPECT_EQ(ignored.out, "5\n");
    EXPECT_EQ(Names({}), (std::vector<std::string>{"pear", "apple", "fig", "kiwi", "date"}));
}

}  // namespace
