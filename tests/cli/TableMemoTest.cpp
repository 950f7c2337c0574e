// Memo and general fields on the command line: dump shows memo text as a JSON string and
// general contents in base64; set writes both, and python3-dbf reads them back.
#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"
#include "xbase/table/TableTestSupport.h"

namespace {

using nlohmann::json;

const char* kMakeTable = R"(
import sys, dbf
t = dbf.Table(sys.argv[1], 'NAME C(10); NOTES M; PIC G', dbf_type='fp', codepage='cp936')
t.open(dbf.READ_WRITE)
t.append(('one', '发票备注', b'\x00\x01bin\x1a'))
t.append(('two', '', b''))
t.close()
)";

const char* kReadTable = R"(
import sys, json, dbf
t = dbf.Table(sys.argv[1], codepage='cp936')
t.open(dbf.READ_ONLY)
print(json.dumps([[r.notes, (r.pic or b'').hex()] for r in t], ensure_ascii=False))
t.close()
)";

TEST(TableMemo, DumpShowsMemoTextAndBase64SetWritesThem) {
    if (!clitest::PythonHas("dbf")) GTEST_SKIP() << "python3-dbf is not installed";
    tabletest::TempDir dir;
    std::string path = dir.file("notes.dbf");
    ASSERT_EQ(clitest::Python(kMakeTable, {path}).status, 0);

    json rows = clitest::DumpJson({path});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["NOTES"], "发票备注");
    EXPECT_EQ(rows[0]["PIC"], "AAFiaW4a");  // 00 01 'b' 'i' 'n' 1A
    EXPECT_EQ(rows[1]["NOTES"], "");
    EXPECT_EQ(rows[1]["PIC"], "");

    auto set = clitest::Taxbridge(
        {"table", "set", path, "2", "NOTES=第二条 memo, " + std::string(600, 'x'), "PIC=/wAQ"});
    ASSERT_EQ(set.status, 0) << set.err;
    auto cleared = clitest::Taxbridge({"table", "set", path, "1", "NOTES="});
    ASSERT_EQ(cleared.status, 0) << cleared.err;
    auto bad = clitest::Taxbridge({"table", "set", path, "1", "PIC=not base64!"});
    EXPECT_NE(bad.status, 0);

    rows = clitest::DumpJson({path});
    EXPECT_EQ(rows[0]["NOTES"], "");
    EXPECT_EQ(rows[1]["NOTES"], "第二条 memo, " + std::string(600, 'x'));
    EXPECT_EQ(rows[1]["PIC"], "/wAQ");

    auto read = clitest::Python(kReadTable, {path});
    ASSERT_EQ(read.status, 0) << read.err;
    json peer = json::parse(read.out);
    EXPECT_EQ(peer[0][0], "");
    EXPECT_EQ(peer[0][1], "000162696e1a");
    EXPECT_EQ(peer[1][0], "第二条 memo, " + std::string(600, 'x'));
    EXPECT_EQ(peer[1][1], "ff0010");
}

}  // namespace
