// The field layer over the record buffer: lookup, numbers out of range, typed name
// forms, changed marks and record images built in a caller's buffer.
#include <gtest/gtest.h>

#include <cstring>

#include "../table/TableTestSupport.h"
#include "platform/FormatSettings.h"
#include "platform/Paths.h"
#include "xbase/cursor/DbfHandler.h"
#include "xbase/file/EngineError.h"

using namespace tabletest;
using xbase::DbfHandler;
using xbase::XBaseError;

namespace {

class FieldAccessTest : public ::testing::Test {
protected:
    FieldAccessTest() {
        WriteFile(dir.file("t.dbf"), BuildTable(SimpleShape({"ALPHA", "BETA"})));
        table = std::make_unique<DbfHandler>(dir.file("t.dbf"), true, true);
        table->GoTo(1);
    }
    TempDir dir;
    std::unique_ptr<DbfHandler> table;
};

TEST_F(FieldAccessTest, LookupIgnoresCaseAndTrailingBlanks) {
    EXPECT_EQ(table->LookupField("qty")->number, 2);
    EXPECT_EQ(table->LookupField("Name   ")->number, 1);
    EXPECT_EQ(table->FieldNumber("flag"), 3);
    EXPECT_EQ(table->FieldNumber("nope"), 0);
    EXPECT_EQ(table->LastField()->name, "NAME");
}

TEST_F(FieldAccessTest, UnknownNameIsError1003WithPathAndName) {
    try {
        table->LookupField("nope");
        FAIL();
    } catch (const XBaseError& e) {
        EXPECT_EQ(e.code(), 1003);
        EXPECT_EQ(e.subcode(), 1298);
        EXPECT_EQ(std::string(e.what()),
                  "dBase field name is invalid - " + dir.file("t.dbf") + "->nope");
    }
    EXPECT_THROW(table->LookupField("A_VERY_LONG_NAME"), XBaseError);
}

TEST_F(FieldAccessTest, NumbersOutsideTheTableGiveEmptyResults) {
    EXPECT_EQ(table->GetFieldText(0), "");
    EXPECT_EQ(table->GetFieldRaw(4), "");
    EXPECT_FALSE(table->PutFieldText(9, "x"));
    EXPECT_EQ(table->GetFieldNumber(-1), 0.0);
    EXPECT_FALSE(table->GetFieldLogical(99));
    EXPECT_EQ(table->FieldName(0), "");
    EXPECT_EQ(table->FieldType(4), '\0');
}

TEST_F(FieldAccessTest, ValuesReadAndWriteThroughTheRecordBuffer) {
    EXPECT_EQ(table->GetFieldText(1), "ALPHA");
    EXPECT_EQ(table->GetFieldNumber("QTY"), 1.5);
    EXPECT_TRUE(table->GetFieldLogical("FLAG"));
    std::string reused;
    table->GetFieldText(2, reused);
    EXPECT_EQ(reused, "1.50");
    EXPECT_TRUE(table->PutFieldNumber("QTY", 3.14159));
    EXPECT_EQ(table->GetFieldRaw(2), "    3.14");
    EXPECT_TRUE(table->PutFieldLogical("FLAG", false));
    EXPECT_EQ(table->GetFieldRaw("FLAG"), "F");
}

TEST_F(FieldAccessTest, TypedNameFormsCheckTheFieldType) {
    try {
        table->GetFieldDate("NAME");
        FAIL();
    } catch (const XBaseError& e) {
        EXPECT_EQ(e.code(), 1004);
        EXPECT_EQ(e.subcode(), 1299);
    }
    EXPECT_THROW(table->PutFieldLogical("QTY", true), XBaseError);
    EXPECT_THROW(table->GetFieldNumber("FLAG"), XBaseError);
    EXPECT_EQ(table->GetFieldRaw(1), "ALPHA     ");  // nothing stored by the failures
}

TEST_F(FieldAccessTest, ChangedMarksFollowWritesReadsAndBlanks) {
    EXPECT_FALSE(table->RecordChanged());
    table->PutFieldText("NAME", "X");
    EXPECT_TRUE(table->FieldChanged(1));
    EXPECT_FALSE(table->FieldChanged(2));
    EXPECT_TRUE(table->RecordChanged());
    table->GoTo(2);
    EXPECT_FALSE(table->FieldChanged(1));
    table->BlankRecord();
    for (int n = 0; n <= 3; ++n) EXPECT_TRUE(table->FieldChanged(n));
    EXPECT_EQ(table->GetFieldRaw(2), "    0.00");
}

TEST_F(FieldAccessTest, RecordImageIsBuiltInTheCallersBufferOnly) {
    std::vector<std::uint8_t> own(table->RecordBuffer(), table->RecordBuffer() + 20);
    std::vector<std::uint8_t> image(20, 'z');
    std::vector<std::optional<std::string>> values = {std::string("KEY"), std::string("2.5")};
    table->BuildRecordImage(image.data(), "name; qty", values, true);
    EXPECT_EQ(std::string(image.begin(), image.end()), " KEY           2.50 ");
    EXPECT_TRUE(table->UsesOwnRecordBuffer());
    EXPECT_EQ(std::vector<std::uint8_t>(table->RecordBuffer(), table->RecordBuffer() + 20), own);

    std::vector<std::optional<std::string>> bad = {std::string("KEY"), std::string("1 2")};
    EXPECT_THROW(table->BuildRecordImage(image.data(), "NAME;QTY", bad, true), XBaseError);
    EXPECT_TRUE(table->UsesOwnRecordBuffer());
    EXPECT_EQ(std::vector<std::uint8_t>(table->RecordBuffer(), table->RecordBuffer() + 20), own);
}

// Text views and the copying read give the same display for every type, and a string
// reused across fields of different types never keeps a former field's display.
TEST(FieldTextViewTest, ViewsMatchTheCopyingReadForEveryType) {
    TempDir dir;
    TableShape layout;
    layout.fields = {
        {"NAME", 'C', 8}, {"AMT", 'N', 8, 2}, {"DAY", 'D', 8}, {"OK", 'L', 1}, {"NOTE", 'M', 10}};
    layout.records = {"AB      " + Pad("", 8) + "20070315" + "T" + "         1",
                      "        " + Pad("", 6) + "12" + "        " + "?" + "          "};
    layout.version = 0x83;
    WriteFile(dir.file("v.dbf"), BuildTable(layout));
    DbfHandler table(dir.file("v.dbf"), true, false);
    const std::vector<std::vector<std::string>> expected = {
        {"AB", "0.00", "2007-03-15", "T", "---MEMO---"}, {"", "12", "", "F", "---memo---"}};
    const platform::FormatSettings saved = platform::ProcessFormatSettings();
    platform::ProcessFormatSettings() = platform::FormatSettings{};  // yyyy-mm-dd
    std::string reused;
    for (std::int32_t record = 1; record <= 2; ++record) {
        table.GoTo(record);
        for (int f = 1; f <= 5; ++f) {
            const std::string& want =
                expected[static_cast<std::size_t>(record - 1)][static_cast<std::size_t>(f - 1)];
            EXPECT_EQ(table.GetFieldTextView(f), want) << record << "/" << f;
            table.GetFieldText(f, reused);
            EXPECT_EQ(reused, want) << record << "/" << f;
        }
        for (int f = 5; f >= 1; --f) {  // the other order: each type after each other
            table.GetFieldText(f, reused);
            EXPECT_EQ(reused, table.GetFieldText(f)) << record << "/" << f;
        }
    }
    const char* record = reinterpret_cast<const char*>(table.RecordBuffer());
    table.GoTo(1);
    EXPECT_EQ(table.GetFieldTextView(1).data(), record + 1);  // stored text: no copy
    EXPECT_EQ(table.GetFieldTextView(6), "");
    platform::ProcessFormatSettings() = saved;
}

}  // namespace
