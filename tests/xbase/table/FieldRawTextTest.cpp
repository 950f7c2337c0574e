// Raw and display text of fields: alignment, cutting, NUL-stopped reads, display forms by
// type and text writes by type.
#include <gtest/gtest.h>

#include "FieldTestSupport.h"
#include "xbase/table/DbfDate.h"

namespace xbase {
namespace {

using namespace FieldCodec;
using test::RecordingHook;
using test::TestRecord;

class FieldRawTest : public ::testing::Test {
protected:
    TestRecord r{
        version::DBase3,
        {{"NAME", 'C', 5}, {"QTY", 'N', 5}, {"DAY", 'D', 8}, {"OK", 'L', 1}, {"NOTE", 'M', 10}}};
};

TEST_F(FieldRawTest, CharacterDateAndLogicalAreLeftAlignedTheRestRightAligned) {
    PutRaw(r.field("NAME"), r.data(), "ABC");
    PutRaw(r.field("QTY"), r.data(), "ABC");
    PutRaw(r.field("DAY"), r.data(), "2007");
    PutRaw(r.field("OK"), r.data(), "T");
    PutRaw(r.field("NOTE"), r.data(), "12");
    EXPECT_EQ(r.stored("NAME"), "ABC  ");
    EXPECT_EQ(r.stored("QTY"), "  ABC");
    EXPECT_EQ(r.stored("DAY"), "2007    ");
    EXPECT_EQ(r.stored("OK"), "T");
    EXPECT_EQ(r.stored("NOTE"), "        12");
}

TEST_F(FieldRawTest, LongTextIsCutAtTheFieldLengthFromItsStart) {
    PutRaw(r.field("QTY"), r.data(), "ABCDEFG");
    PutRaw(r.field("NAME"), r.data(), "ABCDEFG");
    EXPECT_EQ(r.stored("QTY"), "ABCDE");
    EXPECT_EQ(r.stored("NAME"), "ABCDE");
    EXPECT_EQ(r.bytes[0], ' ');              // deletion flag untouched
    EXPECT_EQ(r.stored("DAY"), "        ");  // neighbour untouched
}

TEST_F(FieldRawTest, EmptyTextBlanksTheField) {
    r.store("NAME", "XXXXX");
    EXPECT_TRUE(PutRaw(r.field("NAME"), r.data(), ""));
    EXPECT_EQ(r.stored("NAME"), "     ");
}

TEST_F(FieldRawTest, RawReadStopsAtTheFirstNulAndKeepsSpaces) {
    r.store("NAME", std::string("AB\0CD", 5));
    EXPECT_EQ(GetRaw(r.field("NAME"), r.data()), "AB");
    r.store("NAME", " AB  ");
    EXPECT_EQ(GetRaw(r.field("NAME"), r.data()), " AB  ");
    std::string out = "old contents that are longer";
    GetRaw(r.field("NAME"), r.data(), out);
    EXPECT_EQ(out, " AB  ");
}

TEST(FieldLongCharacter, SixteenBitLengthIsReadAndWrittenWhole) {
    // Length bytes 0x2C and 0x01 of a C descriptor: 300 bytes.
    TestRecord r{version::DBase3, {{"A", 'C', 0x012C}, {"B", 'C', 2}}};
    std::string text(299, 'x');
    text += 'y';
    PutRaw(r.field("A"), r.data(), text + "zzz");
    EXPECT_EQ(r.stored("A"), text);
    EXPECT_EQ(GetText(r.field("A"), r.data(), r.context), text);
    EXPECT_EQ(r.stored("B"), "  ");
}

TEST(FieldDisplayText, CharacterLosesTrailingSpacesOnly) {
    TestRecord r{version::DBase3, {{"NAME", 'C', 6}, {"CODE", 'X', 4}}};
    r.store("NAME", " AB   ");
    r.store("CODE", " 1  ");
    EXPECT_EQ(GetText(r.field("NAME"), r.data(), r.context), " AB");
    EXPECT_EQ(GetText(r.field("CODE"), r.data(), r.context), " 1");  // unknown types as C
}

// The display text is read eight bytes at a time; every length, and every place of the
// spaces and of a NUL, must give what a byte-by-byte reading gives.
TEST(FieldDisplayText, WordWiseReadingMatchesByteWiseReading) {
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int length = 1; length <= 40; ++length) {
        TestRecord r{version::DBase3,
                     {{"LEAD", 'C', 3}, {"T", 'C', length}, {"N", 'N', length}, {"TAIL", 'C', 3}}};
        r.store("LEAD", "abc");
        r.store("TAIL", "xyz");
        for (int round = 0; round < 300; ++round) {
            std::string bytes(static_cast<std::size_t>(length), ' ');
            const int used = static_cast<int>(next() % static_cast<unsigned>(length + 1));
            for (int i = 0; i < used; ++i)
                bytes[static_cast<std::size_t>(i)] = next() % 3 == 0 ? ' ' : 'a';
            if (next() % 4 == 0) bytes[next() % static_cast<unsigned>(length)] = '\0';
            r.store("T", bytes);
            r.store("N", bytes);
            std::string expected = bytes.substr(0, bytes.find('\0'));
            expected.erase(expected.find_last_not_of(' ') + 1);
            ASSERT_EQ(GetText(r.field("T"), r.data(), r.context), expected)
                << length << " [" << bytes << "]";
            expected.erase(0, expected.find_first_not_of(' '));
            if (expected.empty()) expected = "0";
            ASSERT_EQ(GetText(r.field("N"), r.data(), r.context), expected)
                << length << " [" << bytes << "]";
        }
    }
}

TEST(FieldDisplayText, NumbersAreTrimmedAndBlankOnesShowAFormattedZero) {
    TestRecord r{version::DBase3, {{"AMT", 'N', 8, 2}, {"CNT", 'N', 4}, {"RATE", 'F', 6, 3}}};
    r.store("AMT", "   12.50");
    EXPECT_EQ(GetText(r.field("AMT"), r.data(), r.context), "12.50");
    r.store("AMT", "        ");
    EXPECT_EQ(GetText(r.field("AMT"), r.data(), r.context), "0.00");
    EXPECT_EQ(GetText(r.field("CNT"), r.data(), r.context), "0");
    EXPECT_EQ(GetText(r.field("RATE"), r.data(), r.context), "0.000");
}

TEST(FieldDisplayText, LogicalShowsTForTrueLettersElseF) {
    TestRecord r{version::DBase3, {{"OK", 'L', 1}}};
    for (char c : std::string("TtYyJj")) {
        r.store("OK", std::string(1, c));
        EXPECT_EQ(GetText(r.field("OK"), r.data(), r.context), "T") << c;
    }
    for (char c : std::string("?FfNn 1")) {
        r.store("OK", std::string(1, c));
        EXPECT_EQ(GetText(r.field("OK"), r.data(), r.context), "F") << c;
    }
}

TEST(FieldDisplayText, DateShowsTheDisplayFormOrNothing) {
    test::SettingsGuard settings("yyyy-mm-dd", '-');
    TestRecord r{version::DBase3, {{"DAY", 'D', 8}}};
    r.store("DAY", "20070315");
    EXPECT_EQ(GetText(r.field("DAY"), r.data(), r.context), "2007-03-15");
    r.store("DAY", "        ");
    EXPECT_EQ(GetText(r.field("DAY"), r.data(), r.context), "");
    r.store("DAY", "00000000");
    EXPECT_EQ(GetText(r.field("DAY"), r.data(), r.context), "");
    r.store("DAY", "20071301");  // no real date: day count 0
    EXPECT_EQ(GetText(r.field("DAY"), r.data(), r.context), "1899-12-30");
    // Text that is no date fails with the date conversion error, not an engine error.
    r.store("DAY", "garbage!");
    EXPECT_THROW(GetText(r.field("DAY"), r.data(), r.context), DateConversionError);
}

// A D field's display is written straight from its stored digits; it must equal the
// display of the date's Julian day in every format.
TEST(FieldDisplayText, DateFromDigitsEqualsDateFromJulianDay) {
    TestRecord r{version::DBase3, {{"DAY", 'D', 8}}};
    const std::pair<const char*, char> formats[] = {{"yyyy-mm-dd", '-'},  {"d.M.yyyy", '.'},
                                                    {"M/d/yy", '/'},      {"yyyymmdd", '-'},
                                                    {"dd/mm/yy yy", '/'}, {"dd-mmm-yy", '-'}};
    for (auto [format, separator] : formats) {
        test::SettingsGuard settings(format, separator);
        for (std::int32_t j = DbfDate::JulianFromText("19991225");
             j < DbfDate::JulianFromText("20000320"); j += 3) {
            r.store("DAY", DbfDate::JulianToStorage(j));
            ASSERT_EQ(GetText(r.field("DAY"), r.data(), r.context), DbfDate::JulianToDisplay(j))
                << format << " " << j;
        }
    }
    test::SettingsGuard settings("d.M.yyyy", '.');
    r.store("DAY", "20070305");
    EXPECT_EQ(GetText(r.field("DAY"), r.data(), r.context), "5.3.2007");
}

TEST(FieldDisplayText, MemoFieldsShowWhetherABlockIsThere) {
    TestRecord r{version::DBase3Memo, {{"M", 'M', 10}, {"B", 'B', 10}, {"G", 'G', 10}}};
    EXPECT_EQ(GetText(r.field("M"), r.data(), r.context), "---memo---");
    EXPECT_EQ(GetText(r.field("B"), r.data(), r.context), "--binary--");
    EXPECT_EQ(GetText(r.field("G"), r.data(), r.context), "-general--");
    r.store("M", "         0");
    EXPECT_EQ(GetText(r.field("M"), r.data(), r.context), "---memo---");
    r.store("M", "        12");
    r.store("B", "         1");
    r.store("G", "         7");
    EXPECT_EQ(GetText(r.field("M"), r.data(), r.context), "---MEMO---");
    EXPECT_EQ(GetText(r.field("B"), r.data(), r.context), "--BINARY--");
    EXPECT_EQ(GetText(r.field("G"), r.data(), r.context), "-GENERAL--");
}

TEST(FieldTextWrite, DateTextIsStoredAsEightDigits) {
    test::SettingsGuard settings("yyyy-mm-dd", '-');
    TestRecord r{version::DBase3, {{"DAY", 'D', 8}}};
    const std::pair<const char*, const char*> cases[] = {
        {"2007-03-15", "20070315"}, {"20000101", "20000101"}, {"", "        "}};
    for (auto [text, stored] : cases) {
        EXPECT_TRUE(PutText(r.field("DAY"), r.data(), r.context, text)) << text;
        EXPECT_EQ(r.stored("DAY"), stored) << text;
    }
    r.store("DAY", "20070315");
    EXPECT_THROW(PutText(r.field("DAY"), r.data(), r.context, "15/03"), DateConversionError);
    EXPECT_EQ(r.stored("DAY"), "20070315");
}

TEST(FieldTextWrite, LogicalTakesLettersAndDigitsAndRefusesTheRest) {
    TestRecord r{version::DBase3, {{"OK", 'L', 1}}};
    const std::pair<const char*, char> cases[] = {{"y", 'T'}, {"Yes", 'T'},  {"j", 'T'},
                                                  {"0", 'F'}, {"7", 'T'},    {"n", 'F'},
                                                  {"", 'F'},  {"false", 'F'}};
    for (auto [text, stored] : cases) {
        EXPECT_TRUE(PutText(r.field("OK"), r.data(), r.context, text)) << text;
        EXPECT_EQ(r.stored("OK"), std::string(1, stored)) << text;
    }
    test::ExpectEngineError([&] { PutText(r.field("OK"), r.data(), r.context, "?"); }, 1004, 1262,
                            "dBase field is of incorrect type - OK");
    EXPECT_EQ(r.stored("OK"), "F");
}

TEST(FieldTextWrite, NumberTextIsReadAndFormatted) {
    TestRecord r{version::DBase3, {{"AMT", 'N', 10, 2}}};
    // Only the first 32 characters count: the x beyond them is never read.
    const std::string long32 = "1.5" + std::string(29, '0') + "x";
    const std::pair<std::string, const char*> cases[] = {{"", "      0.00"},
                                                         {"  12.5  ", "     12.50"},
                                                         {"-1e2", "   -100.00"},
                                                         {long32, "      1.50"}};
    for (const auto& [text, stored] : cases) {
        EXPECT_TRUE(PutText(r.field("AMT"), r.data(), r.context, text)) << text;
        EXPECT_EQ(r.stored("AMT"), stored) << text;
    }
}

TEST(FieldTextWrite, NumberTextThatIsNoNumberFailsAndStoresNothing) {
    TestRecord r{version::DBase3, {{"AMT", 'N', 10, 2}}};
    r.store("AMT", "      7.00");
    test::ExpectEngineError([&] { PutText(r.field("AMT"), r.data(), r.context, "12,5"); }, 1004,
                            1261, "dBase field is of incorrect type - ");
    EXPECT_EQ(r.stored("AMT"), "      7.00");
}

TEST(FieldTextWrite, OtherTypesAreStoredRawWithoutReformatting) {
    TestRecord r{version::DBase3, {{"RATE", 'F', 8, 2}, {"NAME", 'C', 4}}};
    EXPECT_TRUE(PutText(r.field("RATE"), r.data(), r.context, "3.14159"));
    EXPECT_EQ(r.stored("RATE"), " 3.14159");
    EXPECT_TRUE(PutText(r.field("NAME"), r.data(), r.context, "ab"));
    EXPECT_EQ(r.stored("NAME"), "ab  ");
}

TEST(FieldTextWrite, ReplacedHookLeavesTheFieldAsItWas) {
    RecordingHook hook;
    TestRecord r{version::DBase3, {{"AMT", 'N', 6, 2}, {"OK", 'L', 1}}};
    r.store("AMT", "  1.00");
    r.store("OK", "T");
    EXPECT_FALSE(PutText(r.field("AMT"), r.data(), r.context, "1 2"));
    EXPECT_FALSE(PutText(r.field("OK"), r.data(), r.context, "#"));
    EXPECT_EQ(r.stored("AMT"), "  1.00");
    EXPECT_EQ(r.stored("OK"), "T");
    ASSERT_EQ(RecordingHook::reports().size(), 2u);
    EXPECT_EQ(RecordingHook::reports()[1].subcode, 1262);
    EXPECT_EQ(RecordingHook::reports()[1].text, "OK");
}

}  // namespace
}  // namespace xbase
