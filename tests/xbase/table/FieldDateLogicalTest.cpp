// Date and logical fields: Julian reads and writes, the refused -1, true letters.
#include <gtest/gtest.h>

#include "FieldTestSupport.h"

namespace xbase {
namespace {

using namespace FieldCodec;
using test::RecordingHook;
using test::TestRecord;

TEST(FieldDate, ReadsStoredDigitsAsJulianDays) {
    TestRecord r{version::DBase3, {{"DAY", 'D', 8}}};
    r.store("DAY", "20070315");
    EXPECT_EQ(GetDate(r.field("DAY"), r.data(), r.context), 2454175);
    r.store("DAY", "        ");
    EXPECT_EQ(GetDate(r.field("DAY"), r.data(), r.context), 0);
    r.store("DAY", "00000000");
    EXPECT_EQ(GetDate(r.field("DAY"), r.data(), r.context), 0);
    r.store("DAY", "20070230");  // no real date: day count 0, no error
    EXPECT_EQ(GetDate(r.field("DAY"), r.data(), r.context), 2415019);
}

TEST(FieldDate, UnreadableDateIsAnEngineErrorNamingTableAndField) {
    test::SettingsGuard settings("yyyy-mm-dd", '-');
    TestRecord r{version::DBase3, {{"DAY", 'D', 8}}, "C:\\TAX\\FPADD.DBF"};
    r.store("DAY", "2007031X");
    test::ExpectEngineError(
        [&] { GetDate(r.field("DAY"), r.data(), r.context); }, 1004, -7,
        "dBase field is of incorrect type - Invalid date in field FPADD->DAY (2007031X)");
    RecordingHook hook;
    EXPECT_EQ(GetDate(r.field("DAY"), r.data(), r.context), 0);
}

TEST(FieldDate, WritesDigitsOrSpaces) {
    TestRecord r{version::DBase3, {{"DAY", 'D', 8}}};
    EXPECT_TRUE(PutDate(r.field("DAY"), r.data(), 2454175));
    EXPECT_EQ(r.stored("DAY"), "20070315");
    EXPECT_TRUE(PutDate(r.field("DAY"), r.data(), 0));
    EXPECT_EQ(r.stored("DAY"), "        ");
    r.store("DAY", "20070315");
    EXPECT_TRUE(PutDate(r.field("DAY"), r.data(), -3));
    EXPECT_EQ(r.stored("DAY"), "        ");
}

TEST(FieldDate, MinusOneIsRefusedAndOtherTypesAreLeftQuietly) {
    TestRecord r{version::DBase3, {{"DAY", 'D', 8}, {"NAME", 'C', 8}}};
    r.store("DAY", "20070315");
    test::ExpectEngineError([&] { PutDate(r.field("DAY"), r.data(), -1); }, 1004, 1251);
    EXPECT_EQ(r.stored("DAY"), "20070315");

    RecordingHook hook;
    EXPECT_FALSE(PutDate(r.field("DAY"), r.data(), -1));
    EXPECT_FALSE(PutDate(r.field("NAME"), r.data(), 2454175));
    EXPECT_EQ(RecordingHook::reports().size(), 1u);  // only the -1
    EXPECT_EQ(r.stored("NAME"), "        ");
}

TEST(FieldLogical, ReadsTrueOnlyForTheTrueLetters) {
    TestRecord r{version::DBase3, {{"OK", 'L', 1}}};
    for (char c : std::string("TtYyJj")) {
        r.store("OK", std::string(1, c));
        EXPECT_TRUE(GetLogical(r.field("OK"), r.data())) << c;
    }
    for (char c : std::string("FfNn ?1")) {
        r.store("OK", std::string(1, c));
        EXPECT_FALSE(GetLogical(r.field("OK"), r.data())) << c;
    }
    r.store("OK", std::string(1, '\0'));
    EXPECT_FALSE(GetLogical(r.field("OK"), r.data()));
}

TEST(FieldLogical, WritesTOrFIntoLogicalFieldsOnly) {
    TestRecord r{version::DBase3, {{"OK", 'L', 1}, {"QTY", 'N', 3}}};
    EXPECT_TRUE(PutLogical(r.field("OK"), r.data(), true));
    EXPECT_EQ(r.stored("OK"), "T");
    EXPECT_TRUE(PutLogical(r.field("OK"), r.data(), false));
    EXPECT_EQ(r.stored("OK"), "F");
    EXPECT_THROW(PutLogical(r.field("QTY"), r.data(), true), XBaseError);

    RecordingHook hook;
    EXPECT_FALSE(PutLogical(r.field("QTY"), r.data(), true));
    ASSERT_EQ(RecordingHook::reports().size(), 1u);
    EXPECT_EQ(RecordingHook::reports()[0].subcode, 1299);
    EXPECT_EQ(r.stored("QTY"), "   ");
}

}  // namespace
}  // namespace xbase
