// Visual FoxPro 8 and 9 tables through the table tools: autoincrement columns take the
// next value on append and move the counter in the header as FoxPro does; varchar and
// varbinary columns show their stored length; null flags show as nulls.
#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"
#include "xbase/table/TableTestSupport.h"

namespace {

using nlohmann::json;
using tabletest::TableShape;

using clitest::Le32;

// Descriptor flags of Visual FoxPro: system column, nullable, autoincrement.
constexpr std::uint8_t kSystem = 0x01 | 0x04;
constexpr std::uint8_t kNullable = 0x02;
constexpr std::uint8_t kAutoIncrement = 0x0C;

// Sets descriptor n's (from 0) flags byte, and for an autoincrement column its next
// value and step.
void SetDescriptor(std::vector<std::uint8_t>& bytes, int n, std::uint8_t flags,
                   std::uint32_t next = 0, std::uint8_t step = 0) {
    const std::size_t at = 32 + 32 * static_cast<std::size_t>(n);
    bytes[at + 18] = flags;
    for (int i = 0; i < 4; ++i) bytes[at + 19 + i] = static_cast<std::uint8_t>(next >> (8 * i));
    bytes[at + 23] = step;
}

class VisualFoxPro9 : public ::testing::Test {
protected:
    clitest::RunResult Table(const std::vector<std::string>& args) {
        return clitest::TableCommand(args);
    }

    tabletest::TempDir dir_;
};

TEST_F(VisualFoxPro9, AppendsTakeTheNextAutoincrementValue) {
    TableShape shape;
    shape.version = 0x31;
    shape.fields = {{"ID", 'I', 4}, {"NAME", 'C', 5}, {"_NullFlags", '0', 1}};
    shape.records = {Le32(1) + "one  " + '\0', Le32(2) + "two  " + '\0'};
    auto bytes = tabletest::BuildTable(shape);
    SetDescriptor(bytes, 0, kAutoIncrement, 7, 5);
    SetDescriptor(bytes, 2, kSystem);
    const std::string path = dir_.file("auto.dbf");
    tabletest::WriteFile(path, bytes);

    EXPECT_EQ(Table({"append", path, "NAME=three"}).out, "3\n");
    EXPECT_EQ(Table({"append", path, "NAME=four"}).out, "4\n");
    json dump = clitest::DumpJson({path});
    EXPECT_EQ(dump, json::parse(R"([
      {"_recno":1,"_deleted":false,"ID":"1","NAME":"one"},
      {"_recno":2,"_deleted":false,"ID":"2","NAME":"two"},
      {"_recno":3,"_deleted":false,"ID":"7","NAME":"three"},
      {"_recno":4,"_deleted":false,"ID":"12","NAME":"four"}
    ])"));
    auto after = tabletest::ReadFile(path);
    EXPECT_EQ(std::string(after.begin() + 32 + 19, after.begin() + 32 + 24), Le32(17) + '\x05');
    clitest::RunResult info = Table({"info", path});
    EXPECT_NE(info.out.find("next 17, step 5"), std::string::npos) << info.out;
    // Integer columns of a Visual FoxPro 8/9 table are numbers in expressions, as in 0x30 tables.
    EXPECT_EQ(Table({"eval", path, "ID * 2"}).out, "1\tN\t2\n2\tN\t4\n3\tN\t14\n4\tN\t24\n");
}

TEST_F(VisualFoxPro9, VarcharVarbinaryAndNullsReadAsStored) {
    TableShape shape;
    shape.version = 0x32;
    shape.fields = {{"NAME", 'V', 10}, {"DATA", 'Q', 6}, {"QTY", 'N', 4}, {"_NullFlags", '0', 1}};
    // Bit 0: NAME shorter than its width (length in its last byte); bit 1 the same for
    // DATA; bit 2: QTY is null.
    shape.records = {
        std::string("abc      \x03") + "\x01\x02\x03\x04\x05\x06" + "  12" + '\x01',
        std::string("0123456789") + std::string("\xFF\0\0\0\0\x02", 6) + "    " + '\x06'};
    auto bytes = tabletest::BuildTable(shape);
    SetDescriptor(bytes, 2, kNullable);
    SetDescriptor(bytes, 3, kSystem);
    const std::string path = dir_.file("var.dbf");
    tabletest::WriteFile(path, bytes);

    EXPECT_EQ(clitest::DumpJson({path}), json::parse(R"([
      {"_recno":1,"_deleted":false,"NAME":"abc","DATA":"AQIDBAUG","QTY":"12"},
      {"_recno":2,"_deleted":false,"NAME":"0123456789","DATA":"/wA=","QTY":""}
    ])"));

    ASSERT_EQ(Table({"set", path, "2", "NAME=xy", "QTY=5"}).status, 0);
    ASSERT_EQ(Table({"set", path, "1", "QTY="}).status, 0);
    EXPECT_EQ(clitest::DumpJson({path}), json::parse(R"([
      {"_recno":1,"_deleted":false,"NAME":"abc","DATA":"AQIDBAUG","QTY":""},
      {"_recno":2,"_deleted":false,"NAME":"xy","DATA":"/wA=","QTY":"5"}
    ])"));
    auto after = tabletest::ReadFile(path);
    const std::size_t second = static_cast<std::size_t>(tabletest::HeaderLengthOf(shape)) + 22;
    EXPECT_EQ(after[second + 1 + 9], 2);              // NAME's length
    EXPECT_EQ(after[second + 21], 0x01 | 0x02);       // NAME and DATA short, QTY not null
    EXPECT_EQ(after[second - 22 + 21], 0x01 | 0x04);  // record 1: QTY null
}

}  // namespace
