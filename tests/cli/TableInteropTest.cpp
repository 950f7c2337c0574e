// The table subcommands on tables python3-dbf made, and python3-dbf (and dbfread)
// reading back what append, set, delete and recall wrote.
#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"
#include "xbase/table/TableTestSupport.h"

namespace {

using nlohmann::json;

// Makes a dBase III table in cp936 with python3-dbf: NAME C(12), QTY N(6,0),
// PRICE N(9,2), DAY D, OK L, and three records, the third deleted.
const char* kMakeTable = R"(
import sys, datetime, dbf
t = dbf.Table(sys.argv[1], 'NAME C(12); QTY N(6,0); PRICE N(9,2); DAY D; OK L',
              codepage='cp936', dbf_type='db3')
t.open(dbf.READ_WRITE)
t.append(('卷烟 A', 12, 3.5, datetime.date(2024, 1, 2), True))
t.append(('plain', -3, 1234.25, None, False))
t.append(('gone', 1, 0, datetime.date(1999, 12, 31), True))
dbf.delete(t[2])
t.close()
)";

// Prints the table's records as python3-dbf reads them: one JSON array per record with
// the deletion flag and the values (dates as ISO text, None for empty).
const char* kReadTable = R"(
import sys, json, dbf
t = dbf.Table(sys.argv[1], codepage='cp936')
t.open(dbf.READ_ONLY)
rows = []
for r in t:
    values = [v.isoformat() if hasattr(v, 'isoformat') else (v.rstrip() if isinstance(v, str) else v) for v in r]
    rows.append([dbf.is_deleted(r)] + values)
t.close()
print(json.dumps(rows, ensure_ascii=False))
)";

const char* kReadWithDbfread = R"(
import sys, json, dbfread
rows = [dict(r) for r in dbfread.DBF(sys.argv[1], encoding='gbk', char_decode_errors='strict')]
print(json.dumps([[r['NAME'], r['QTY']] for r in rows], ensure_ascii=False))
)";

class PythonTable : public ::testing::Test {
protected:
    void SetUp() override {
        if (!clitest::PythonHas("dbf")) GTEST_SKIP() << "python3-dbf is not installed";
        path_ = dir_.file("goods.dbf");
        clitest::RunResult made = clitest::Python(kMakeTable, {path_});
        ASSERT_EQ(made.status, 0) << made.err;
    }

    json PythonRows() {
        clitest::RunResult read = clitest::Python(kReadTable, {path_});
        EXPECT_EQ(read.status, 0) << read.err;
        return read.status == 0 ? json::parse(read.out) : json::array();
    }

    clitest::RunResult Table(const std::vector<std::string>& args) {
        std::vector<std::string> all{"table"};
        all.insert(all.end(), args.begin(), args.end());
        return clitest::Taxbridge(all);
    }

    tabletest::TempDir dir_;
    std::string path_;
};

TEST_F(PythonTable, DumpShowsTheValuesPython3DbfWrote) {
    json dump = clitest::DumpJson({"--deleted", path_});
    json expected = json::parse(R"([
      {"_recno":1,"_deleted":false,"NAME":"卷烟 A","QTY":"12","PRICE":"3.5","DAY":"2024-01-02","OK":"True"},
      {"_recno":2,"_deleted":false,"NAME":"plain","QTY":"-3","PRICE":"1234.25","DAY":"","OK":"False"},
      {"_recno":3,"_deleted":true,"NAME":"gone","QTY":"1","PRICE":"0","DAY":"1999-12-31","OK":"True"}
    ])");
    EXPECT_EQ(dump, expected);
}

TEST_F(PythonTable, CsvHasAHeaderAndOneLinePerLiveRecord) {
    clitest::RunResult result = Table({"dump", "--format", "csv", path_});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "_recno,_deleted,NAME,QTY,PRICE,DAY,OK\r\n"
              "1,false,卷烟 A,12,3.5,2024-01-02,True\r\n"
              "2,false,plain,-3,1234.25,,False\r\n");
}

TEST_F(PythonTable, AppendSetDeleteAndRecallAreReadBackByPython3Dbf) {
    clitest::RunResult appended =
        Table({"append", path_, "NAME=发票机 B", "QTY=7", "PRICE=2.675", "DAY=2023-12-31", "OK=T"});
    ASSERT_EQ(appended.status, 0) << appended.err;
    EXPECT_EQ(appended.out, "4\n");
    ASSERT_EQ(Table({"set", path_, "2", "NAME=changed", "PRICE=0.5", "DAY=2000-02-29"}).status, 0);
    ASSERT_EQ(Table({"delete", path_, "1"}).status, 0);
    ASSERT_EQ(Table({"recall", path_, "3"}).status, 0);

    json expected = json::parse(R"([
      [true,  "卷烟 A", 12, 3.5, "2024-01-02", true],
      [false, "changed", -3, 0.5, "2000-02-29", false],
      [false, "gone", 1, 0.0, "1999-12-31", true],
      [false, "发票机 B", 7, 2.68, "2023-12-31", true]
    ])");
    EXPECT_EQ(PythonRows(), expected);

    if (clitest::PythonHas("dbfread")) {
        clitest::RunResult read = clitest::Python(kReadWithDbfread, {path_});
        ASSERT_EQ(read.status, 0) << read.err;
        EXPECT_EQ(json::parse(read.out),
                  json::parse(R"([["changed", -3], ["gone", 1], ["发票机 B", 7]])"));
    }
}

TEST_F(PythonTable, TextTooLongForTheFieldLosesWholeCharacters) {
    // 12 bytes of GBK fit; the seventh character would need bytes 13 and 14.
    ASSERT_EQ(Table({"set", path_, "1", "NAME=一二三四五六七"}).status, 0);
    EXPECT_EQ(PythonRows()[0][1], "一二三四五六");
}

TEST_F(PythonTable, WindowsStylePathOnAMappedDrive) {
    json dump = clitest::DumpJson({"--drive", "C=" + dir_.path(), "c:\\GOODS"});
    ASSERT_EQ(dump.size(), 2u);
    EXPECT_EQ(dump[1]["NAME"], "plain");
}

TEST_F(PythonTable, CodePageOptionReadsTheBytesInAnotherCodePage) {
    json dump = clitest::DumpJson({"--codepage", "CP437", path_});
    ASSERT_FALSE(dump.empty());
    EXPECT_NE(dump[0]["NAME"], "卷烟 A");
    EXPECT_EQ(dump[1]["NAME"], "plain");
}

}  // namespace
