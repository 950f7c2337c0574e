// Failures of the table subcommands: a message on stderr and a non-zero exit status,
// never a crash, and nothing written.
#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"
#include "data/DataSet.h"
#include "xbase/dataset/XBaseDataSet.h"
#include "xbase/table/TableTestSupport.h"

namespace {

class TableErrors : public ::testing::Test {
protected:
    void SetUp() override {
        tabletest::TableShape layout;
        layout.fields = {{"NAME", 'C', 10, 0}, {"QTY", 'N', 4, 0}};
        layout.records = {"one          1", "two          2"};
        path_ = dir_.file("T.DBF");
        tabletest::WriteFile(path_, tabletest::BuildTable(layout));
    }

    clitest::RunResult Table(const std::vector<std::string>& args) {
        std::vector<std::string> all{"table"};
        all.insert(all.end(), args.begin(), args.end());
        return clitest::Taxbridge(all);
    }

    void ExpectFailure(const std::vector<std::string>& args, const std::string& message) {
        auto before = tabletest::ReadFile(path_);
        clitest::RunResult result = Table(args);
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(tabletest::ReadFile(path_), before);
    }

    tabletest::TempDir dir_;
    std::string path_;
};

TEST_F(TableErrors, MissingTable) {
    ExpectFailure({"dump", dir_.file("none.dbf")}, "Cannot find file ");
}

TEST_F(TableErrors, UnknownFieldAndBadValues) {
    ExpectFailure({"set", path_, "1", "NOPE=1"}, "Field 'NOPE' not found");
    ExpectFailure({"set", path_, "1", "QTY=abc"}, "'abc' is not a valid integer value");
    ExpectFailure({"set", path_, "1", "QTY=-9999"}, "Number too large");
    ExpectFailure({"set", path_, "1", "QTY=99999"}, "The allowed range is -32768 to 32767");
    ExpectFailure({"set", path_, "1", "QTY"}, "Expected NAME=VALUE");
}

TEST_F(TableErrors, RecordNumbersOutsideTheTable) {
    ExpectFailure({"set", path_, "3", "NAME=x"}, "Record 3 does not exist");
    ExpectFailure({"delete", path_, "9"}, "Record 9 does not exist");
    clitest::RunResult zero = Table({"recall", path_, "0"});
    EXPECT_NE(zero.status, 0);
    EXPECT_NE(zero.status, -1);
}

TEST_F(TableErrors, LockedRecordIsRefused) {
    xbase::XBaseDataSet holder;
    holder.SetDatabaseName(dir_.path());
    holder.SetTableName("T.DBF");
    holder.Open();
    holder.Edit();
    ExpectFailure({"set", path_, "1", "NAME=x"}, "Record is locked by another user");
    holder.Cancel();
    EXPECT_EQ(Table({"set", path_, "1", "NAME=x"}).status, 0);
}

TEST_F(TableErrors, CorruptTablesGiveAnErrorNotACrash) {
    auto bytes = tabletest::ReadFile(path_);
    tabletest::WriteFile(dir_.file("SHORT.DBF"), {bytes.begin(), bytes.begin() + 20});
    clitest::RunResult truncated = Table({"dump", dir_.file("SHORT.DBF")});
    EXPECT_EQ(truncated.status, 1) << truncated.err;
    EXPECT_FALSE(truncated.err.empty());

    auto wrongLength = bytes;
    wrongLength[10] = 0xFF;  // record length far beyond the file
    tabletest::WriteFile(dir_.file("LONG.DBF"), wrongLength);
    clitest::RunResult lying = Table({"dump", dir_.file("LONG.DBF")});
    EXPECT_NE(lying.status, -1) << lying.err;
}

TEST_F(TableErrors, UsageErrorsExitNonZero) {
    EXPECT_NE(clitest::Taxbridge({}).status, 0);
    EXPECT_NE(Table({"dump"}).status, 0);
    EXPECT_NE(Table({"dump", "--format", "xml", path_}).status, 0);
    EXPECT_NE(clitest::Taxbridge({"--drive", "nonsense", "table", "dump", path_}).status, 0);
}

}  // namespace
