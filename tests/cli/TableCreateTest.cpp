// taxbridge table create: every table version it makes is read by python3-dbf and
// dbfread, with a record the engine appended, and refused layouts leave no file behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliTestSupport.h"
#include "xbase/table/TableTestSupport.h"

namespace {

using nlohmann::json;

// Field names, types, lengths and decimals as dbfread sees them, then the records.
const char* kDbfread = R"(
import sys, json, dbfread
t = dbfread.DBF(sys.argv[1], encoding='cp936')
fields = [[f.name, f.type, f.length, f.decimal_count] for f in t.fields]
rows = [[v.isoformat() if hasattr(v, 'isoformat') else v for v in r.values()] for r in t]
print(json.dumps({"fields": fields, "rows": rows}, ensure_ascii=False))
)";

// The records as python3-dbf reads them (character values without trailing blanks).
const char* kPythonDbf = R"(
import sys, json, dbf
t = dbf.Table(sys.argv[1])
t.open(dbf.READ_ONLY)
rows = []
for r in t:
    rows.append([v.isoformat() if hasattr(v, 'isoformat') else (v.rstrip() if isinstance(v, str) else v) for v in r])
t.close()
print(json.dumps(rows, ensure_ascii=False))
)";

class TableCreate : public ::testing::Test {
protected:
    void SetUp() override {
        if (!clitest::PythonHas("dbfread") || !clitest::PythonHas("dbf")) {
            GTEST_SKIP() << "python3-dbf or python3-dbfread is not installed";
        }
    }
    static clitest::RunResult Table(std::vector<std::string> args) {
        args.insert(args.begin(), "table");
        return clitest::Taxbridge(args);
    }
    static json Peer(const char* script, const std::string& path) {
        clitest::RunResult read = clitest::Python(script, {path});
        EXPECT_EQ(read.status, 0) << read.err;
        return read.status == 0 ? json::parse(read.out) : json();
    }
    tabletest::TempDir dir_;
};

TEST_F(TableCreate, EveryVersionIsReadByBothPeersWithTheRecordTheEngineAppended) {
    struct Case {
        const char* version;
        std::vector<std::string> extraFields;  // beyond NAME C(12), QTY N(7,2), DAY D, OK L
        const char* memoFile;                  // "" for none
        bool pythonDbfReads;                   // python3-dbf knows this version
        json extraDescriptors;
        json extraValues;
    };
    const Case cases[] = {
        {"dbase3", {}, "", true, json::array(), json::array()},
        {"dbase3-memo",
         {"NOTE:M:10"},
         "t.dbt",
         true,
         json::parse(R"([["NOTE","M",10,0]])"),
         json::parse(R"([null])")},
        {"dbase4",
         {"NOTE:M:10", "RATE:F:10:3"},
         "t.dbt",
         false,
         json::parse(R"([["NOTE","M",10,0],["RATE","F",10,3]])"),
         json::parse(R"([null,0.0])")},
        {"foxpro",
         {"NOTE:M:10"},
         "t.fpt",
         true,
         json::parse(R"([["NOTE","M",10,0]])"),
         json::parse(R"([null])")},
        {"vfp",
         {"NOTE:M:4", "CNT:I:4", "PR:B:8"},
         "t.fpt",
         true,
         json::parse(R"([["NOTE","M",4,0],["CNT","I",4,0],["PR","B",8,0]])"),
         json::parse(R"([null,0,0.0])")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        std::filesystem::remove_all(dir_.path());
        std::filesystem::create_directories(dir_.path());
        const std::string path = dir_.file("t.dbf");
        std::vector<std::string> args{"create",  path,      "--version", c.version, "--code-page",
                                      "936",     "--field", "NAME:C:12", "--field", "QTY:N:7:2",
                                      "--field", "DAY:D:8", "--field",   "OK:L:1"};
        for (const std::string& f : c.extraFields) {
            args.push_back("--field");
            args.push_back(f);
        }
        clitest::RunResult made = Table(args);
        ASSERT_EQ(made.status, 0) << made.err;
        if (*c.memoFile != '\0') {
            EXPECT_TRUE(std::filesystem::exists(dir_.file(c.memoFile)));
        } else {
            EXPECT_FALSE(std::filesystem::exists(dir_.file("t.dbt")));
            EXPECT_FALSE(std::filesystem::exists(dir_.file("t.fpt")));
        }
        clitest::RunResult appended =
            Table({"append", path, "NAME=卷烟 A", "QTY=12.5", "DAY=2024-01-02", "OK=T"});
        ASSERT_EQ(appended.status, 0) << appended.err;

        json fields =
            json::parse(R"([["NAME","C",12,0],["QTY","N",7,2],["DAY","D",8,0],["OK","L",1,0]])");
        json row = json::parse(R"(["卷烟 A",12.5,"2024-01-02",true])");
        for (const json& d : c.extraDescriptors) fields.push_back(d);
        for (const json& v : c.extraValues) row.push_back(v);
        json seen = Peer(kDbfread, path);
        EXPECT_EQ(seen["fields"], fields);
        EXPECT_EQ(seen["rows"], json::array({row}));
        const std::vector<std::uint8_t> bytes = tabletest::ReadFile(path);
        ASSERT_GT(bytes.size(), 29u);
        EXPECT_EQ(bytes[29], 0x7A);  // the code page mark of 936
        if (c.pythonDbfReads) {
            json rows = Peer(kPythonDbf, path);
            ASSERT_EQ(rows.size(), 1u);
            EXPECT_EQ(rows[0][0], "卷烟 A");
            EXPECT_EQ(rows[0][2], "2024-01-02");
        }
    }
}

TEST_F(TableCreate, RefusedLayoutsAndExistingFilesLeaveNothingBehind) {
    const std::string path = dir_.file("t.dbf");
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"--field", "NAME:C:300"}, "field NAME: the length must be 1 to 254"},
        {{"--field", "1ST:C:10"}, "field 1ST: a name has 1 to 10 letters"},
        {{"--field", "A:C:5", "--field", "a:N:5"}, "field A: the name is used twice"},
        {{"--field", "NOTE:M:10"}, "field NOTE: this table version has no such type"},
        {{"--field", "DAY:D:6"}, "field DAY: the length of this type is 8"},
        {{"--field", "Q:N:5:4"}, "field Q: the decimals must leave room"},
        {{"--field", "NAME"}, "field NAME: expected NAME:TYPE:LEN[:DEC]"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"create", path};
        args.insert(args.end(), c.args.begin(), c.args.end());
        clitest::RunResult run = Table(args);
        EXPECT_EQ(run.status, 1) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(path)) << c.message;
    }
    ASSERT_EQ(Table({"create", path, "--field", "A:C:5"}).status, 0);
    const std::vector<std::uint8_t> before = tabletest::ReadFile(path);
    clitest::RunResult again = Table({"create", path, "--field", "B:N:5"});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("File already exists - "), std::string::npos) << again.err;
    EXPECT_EQ(tabletest::ReadFile(path), before);
}

}  // namespace
