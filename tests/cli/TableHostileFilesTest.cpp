// Odd and hostile tables through the table tools: what other writers leave behind (blank
// date-times, padding after the end mark, long descriptor areas, overflow markers, names
// in a code page, Visual FoxPro 8/9 columns) is read as they meant it; what no table can
// be (a pipe, a directory) is refused at once; messages name files as the person wrote
// them and show table text as UTF-8.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "cli/CliTestSupport.h"
#include "xbase/table/TableTestSupport.h"

namespace {

using nlohmann::json;
using tabletest::FieldShape;
using tabletest::TableShape;

using clitest::Le32;

std::string Le64(std::uint64_t v) {
    return Le32(static_cast<std::uint32_t>(v)) + Le32(static_cast<std::uint32_t>(v >> 32));
}

std::string DoubleBytes(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return Le64(bits);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    return text;
}

class HostileTable : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const TableShape& shape) {
        std::string path = dir_.file(name);
        tabletest::WriteFile(path, tabletest::BuildTable(shape));
        return path;
    }

    void AppendBytes(const std::string& path, const std::string& tail) {
        auto bytes = tabletest::ReadFile(path);
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        tabletest::WriteFile(path, bytes);
    }

    clitest::RunResult Table(const std::vector<std::string>& args) {
        return clitest::TableCommand(args);
    }

    // The dump as NAME values per record (record number and flag left out).
    std::vector<std::string> Column(const std::string& path, const std::string& field,
                                    std::vector<std::string> options = {}) {
        options.push_back(path);
        std::vector<std::string> values;
        for (const json& row : clitest::DumpJson(options))
            values.push_back(row[field].get<std::string>());
        return values;
    }

    tabletest::TempDir dir_;
};

TEST_F(HostileTable, VisualFoxProBinaryColumnsReadAsValues) {
    TableShape shape;
    shape.version = 0x30;
    shape.fields = {
        {"NAME", 'C', 4}, {"STAMP", 'T', 8}, {"AMOUNT", 'B', 8, 2}, {"PRICE", 'Y', 8, 4}};
    // A blank date-time is eight zero bytes; 2013-12-12 is Julian day 2456639.
    shape.records = {
        "one " + std::string(8, '\0') + DoubleBytes(2500.55) + Le64(12345678),
        "two " + Le32(2456639) + Le32(8 * 3600000 + 30 * 60000) + DoubleBytes(-0.5) + Le64(-25000)};
    std::string path = Write("vfp.dbf", shape);
    EXPECT_EQ(Column(path, "STAMP"), (std::vector<std::string>{"", "2013-12-12 08:30:00"}));
    EXPECT_EQ(Column(path, "AMOUNT"), (std::vector<std::string>{"2500.55", "-0.5"}));
    EXPECT_EQ(Column(path, "PRICE"), (std::vector<std::string>{"1234.5678", "-2.5"}));

    ASSERT_EQ(Table({"set", path, "1", "PRICE=2.25", "AMOUNT=7"}).status, 0);
    EXPECT_EQ(Column(path, "PRICE")[0], "2.25");
    EXPECT_EQ(Column(path, "AMOUNT")[0], "7");
    auto bytes = tabletest::ReadFile(path);
    const std::size_t price = 424 + 1 + 4 + 8 + 8;
    EXPECT_EQ(std::string(bytes.begin() + price, bytes.begin() + price + 8), Le64(22500));
}

TEST_F(HostileTable, FieldNamesAreConvertedWithTheTablesCodePage) {
    TableShape shape;
    // 名称 and 数量 in GBK.
    shape.fields = {{"\xC3\xFB\xB3\xC6", 'C', 6}, {"\xCA\xFD\xC1\xBF", 'N', 4}};
    shape.records = {"\xBE\xED\xD1\xCC    12"};
    std::string path = Write("names.dbf", shape);
    json dump = clitest::DumpJson({"--codepage", "CP936", path});
    EXPECT_EQ(dump, json::parse(R"([{"_recno":1,"_deleted":false,"名称":"卷烟","数量":"12"}])"));
    clitest::RunResult csv = Table({"dump", "--format", "csv", "--codepage", "CP936", path});
    EXPECT_EQ(csv.out.substr(0, csv.out.find('\r')), "_recno,_deleted,名称,数量");
    clitest::RunResult info = Table({"info", "--codepage", "CP936", path});
    EXPECT_NE(info.out.find("  名称"), std::string::npos) << info.out;
    EXPECT_EQ(Table({"set", "--codepage", "CP936", path, "1", "数量=7"}).status, 0);
    EXPECT_EQ(Column(path, "数量", {"--codepage", "CP936"}), std::vector<std::string>{"7"});
}

TEST_F(HostileTable, TheTerminatorEndsTheFieldList) {
    TableShape shape = tabletest::SimpleShape({"a", "b"});
    // Room for a database-container link after the terminator, as some writers leave in
    // every table: 263 bytes that are no descriptors.
    shape.headerLengthOverride = 32 + 3 * 32 + 1 + 263;
    std::string path = Write("long.dbf", shape);
    clitest::RunResult info = Table({"info", path});
    EXPECT_NE(info.out.find("Fields:        3\n"), std::string::npos) << info.out;
    EXPECT_EQ(Column(path, "NAME"), (std::vector<std::string>{"a", "b"}));
}

TEST_F(HostileTable, OnlyRecordsCountAfterTheHeadersCount) {
    struct Case {
        const char* what;
        std::string tail;  // bytes after the three records and their end mark
        int headerCount;
        std::vector<std::string> names;
    };
    // Another program's appends whose header is not yet updated: a live and a deleted one.
    const std::string record4 = " " + tabletest::Pad("four", 10) + "    0.00F";
    const std::string record5 = "*" + tabletest::Pad("five", 10) + "    0.00F";
    const std::vector<Case> cases = {
        {"junk", std::string(40, 'J'), 3, {"a", "b", "c"}},
        {"padding",
         std::string(128 - (33 + 3 * 32 + 3 * 20 + 1) % 128, '\x1A'),
         3,
         {"a", "b", "c"}},
        {"unannounced appends", "", 1, {"a", "b", "c"}},
        {"appends then junk",
         record4 + record5 + std::string(30, 'x'),
         3,
         {"a", "b", "c", "four", "five"}},
    };
    for (const Case& c : cases) {
        TableShape shape = tabletest::SimpleShape({"a", "b", "c"});
        shape.headerCountOverride = c.headerCount;
        shape.eofMark = c.tail.empty();
        std::string path = Write("t.dbf", shape);
        // Appended records stand right after the third one; anything else after the end mark.
        if (!c.tail.empty()) AppendBytes(path, (c.tail[0] == ' ' ? "" : "\x1A") + c.tail);
        EXPECT_EQ(Column(path, "NAME", {"--deleted"}), c.names) << c.what;
    }

    // An append overwrites the junk: other readers see it as the fourth record.
    TableShape shape = tabletest::SimpleShape({"a", "b", "c"});
    std::string path = Write("j.dbf", shape);
    AppendBytes(path, std::string(40, 'J'));
    clitest::RunResult appended = Table({"append", path, "NAME=d"});
    EXPECT_EQ(appended.out, "4\n") << appended.err;
    auto bytes = tabletest::ReadFile(path);
    const std::size_t fourth = 33 + 3 * 32 + 3 * 20;
    EXPECT_EQ(std::string(bytes.begin() + fourth, bytes.begin() + fourth + 3), " d ");
    EXPECT_EQ(bytes[fourth + 20], 0x1A);
    EXPECT_EQ(bytes[4], 4);
}

TEST_F(HostileTable, ANameMatchingExactlyWinsOverOneMatchingInAnotherCase) {
    std::string lower = Write("t.dbf", tabletest::SimpleShape({"lower"}));
    std::string upper = Write("T.DBF", tabletest::SimpleShape({"upper"}));
    EXPECT_EQ(Column(lower, "NAME"), std::vector<std::string>{"lower"});
    EXPECT_EQ(Column(upper, "NAME"), std::vector<std::string>{"upper"});
    auto before = tabletest::ReadFile(upper);
    ASSERT_EQ(Table({"set", lower, "1", "NAME=changed"}).status, 0);
    EXPECT_EQ(Column(lower, "NAME"), std::vector<std::string>{"changed"});
    EXPECT_EQ(tabletest::ReadFile(upper), before);
    // Without an exact match the name is found in any case.
    Write("solo.dbf", tabletest::SimpleShape({"solo"}));
    EXPECT_EQ(Column(dir_.file("SOLO.DBF"), "NAME"), std::vector<std::string>{"solo"});
}

TEST_F(HostileTable, WhatIsNoRegularFileIsRefusedWithoutWaiting) {
    ASSERT_EQ(mkfifo(dir_.file("pipe.dbf").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(dir_.file("folder.dbf").c_str(), 0700), 0);
    TableShape shape;
    shape.version = 0x83;
    shape.fields = {{"NAME", 'C', 4}, {"NOTE", 'M', 10}};
    shape.records = {"one          1"};
    std::string withPipeMemo = Write("memo.dbf", shape);
    ASSERT_EQ(mkfifo(dir_.file("memo.dbt").c_str(), 0600), 0);

    for (const std::string& path : {dir_.file("pipe.dbf"), withPipeMemo}) {
        clitest::RunResult result = Table({"dump", path});
        EXPECT_EQ(result.status, 1) << path;
        EXPECT_NE(result.err.find("is not a regular file"), std::string::npos) << result.err;
    }
    clitest::RunResult folder = Table({"dump", dir_.file("folder.dbf")});
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("File access denied - " + dir_.file("folder.dbf")), std::string::npos)
        << folder.err;
}

TEST_F(HostileTable, UnconvertibleValuesAreShownAsStoredAndWarnedAbout) {
    TableShape shape;
    shape.fields = {{"NAME", 'C', 4}, {"QTY", 'N', 5}, {"DAY", 'D', 8}};
    shape.records = {"one     120240102", "two *****20240102", "thr   abc20241350"};
    std::string path = Write("values.dbf", shape);
    clitest::RunResult dump = Table({"dump", path});
    ASSERT_EQ(dump.status, 0) << dump.err;
    json rows = json::parse(dump.out);
    EXPECT_EQ(rows[1]["QTY"], "*****");
    EXPECT_EQ(rows[2]["QTY"], "  abc");
    EXPECT_EQ(rows[2]["DAY"], "20241350");
    EXPECT_NE(dump.err.find("record 2, field QTY"), std::string::npos) << dump.err;
    EXPECT_NE(dump.err.find("record 3, field DAY"), std::string::npos) << dump.err;
    EXPECT_EQ(std::count(dump.err.begin(), dump.err.end(), '\n'), 3) << dump.err;

    clitest::RunResult strict = Table({"dump", "--strict", path});
    EXPECT_EQ(strict.status, 1);
    EXPECT_NE(strict.err.find("record 2, field QTY"), std::string::npos) << strict.err;
}

TEST_F(HostileTable, MessagesNamePathsAsWrittenAndShowTextAsUtf8) {
    std::string folder = dir_.path() + "/Mixed";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    TableShape shape;
    shape.version = 0x83;
    shape.fields = {{"NAME", 'C', 4}, {"NOTE", 'M', 10}};
    shape.records = {"one          1"};
    std::string path = folder + "/memo.dbf";
    tabletest::WriteFile(path, tabletest::BuildTable(shape));
    clitest::RunResult missingMemo = Table({"dump", path});
    EXPECT_NE(missingMemo.err.find(folder + "/memo."), std::string::npos) << missingMemo.err;
    EXPECT_EQ(missingMemo.err.find(Upper(folder)), std::string::npos) << missingMemo.err;

    auto bytes = tabletest::BuildTable(tabletest::SimpleShape({"a"}));
    bytes.resize(100);  // the header promises descriptors and a record beyond this
    tabletest::WriteFile(folder + "/short.dbf", bytes);
    clitest::RunResult shortFile = Table({"dump", folder + "/short.dbf"});
    EXPECT_NE(shortFile.err.find("File is shorter than its header says"), std::string::npos)
        << shortFile.err;
    EXPECT_NE(shortFile.err.find(folder + "/short.dbf"), std::string::npos) << shortFile.err;

    TableShape gbk;
    gbk.fields = {{"QTY", 'N', 4}};
    gbk.records = {"\xCA\xFD\xC1\xBF"};  // 数量 where digits belong
    std::string numbers = Write("gbk.dbf", gbk);
    clitest::RunResult strict = Table({"dump", "--strict", "--codepage", "CP936", numbers});
    EXPECT_NE(strict.err.find("数量"), std::string::npos) << strict.err;
}

TEST_F(HostileTable, AMemoWhoseBlockNumberCannotBeStoredIsNotWritten) {
    TableShape shape;
    shape.version = 0x83;
    shape.fields = {{"NAME", 'C', 4}, {"NOTE", 'M', 1}};  // room for block numbers 1 to 9
    shape.records = {"one  "};
    std::string path = Write("narrow.dbf", shape);
    std::vector<std::uint8_t> memo(10 * 512, 0);
    memo[0] = 10;  // the next memo would start at block 10
    tabletest::WriteFile(dir_.file("narrow.dbt"), memo);
    auto table = tabletest::ReadFile(path);
    for (int attempt = 0; attempt < 2; ++attempt) {
        clitest::RunResult set = Table({"set", path, "1", "NOTE=hello"});
        EXPECT_EQ(set.status, 1);
        EXPECT_NE(set.err.find("Number too large to fit in field - NOTE - 10"), std::string::npos)
            << set.err;
    }
    EXPECT_EQ(tabletest::ReadFile(dir_.file("narrow.dbt")), memo);
    EXPECT_EQ(tabletest::ReadFile(path), table);
}

TEST_F(HostileTable, DatesAreTakenInTheTablesOwnForms) {
    TableShape shape;
    shape.fields = {{"NAME", 'C', 4}, {"DAY", 'D', 8}};
    shape.records = {"one         "};
    std::string path = Write("days.dbf", shape);
    for (const char* text : {"20240101", "2024-01-01"}) {
        clitest::RunResult set = Table({"set", path, "1", std::string("DAY=") + text});
        EXPECT_EQ(set.status, 0) << text << ": " << set.err;
        EXPECT_EQ(Column(path, "DAY"), std::vector<std::string>{"2024-01-01"}) << text;
        ASSERT_EQ(Table({"set", path, "1", "DAY="}).status, 0);
    }
    EXPECT_EQ(Table({"append", path, "DAY=20240229"}).out, "2\n");
    EXPECT_EQ(Column(path, "DAY"), (std::vector<std::string>{"", "2024-02-29"}));
    auto before = tabletest::ReadFile(path);
    EXPECT_EQ(Table({"set", path, "1", "DAY=20241350"}).status, 1);
    EXPECT_EQ(tabletest::ReadFile(path), before);
}

}  // namespace
