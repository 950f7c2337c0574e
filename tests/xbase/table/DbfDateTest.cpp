// Julian days: stored digits, short date text, display form, weekday, today.
#include <gtest/gtest.h>

#include "FieldTestSupport.h"
#include "platform/Clock.h"
#include "xbase/table/DbfDate.h"

namespace xbase {
namespace {

using test::SettingsGuard;

TEST(DbfDateFromText, ReadsEightDigitsAsYearMonthDay) {
    EXPECT_EQ(DbfDate::JulianFromText("20070315"), 2454175);
    EXPECT_EQ(DbfDate::JulianFromText("20000101"), 2451545);
    EXPECT_EQ(DbfDate::JulianFromText("18991230"), DbfDate::kJulianOffset);
    EXPECT_EQ(DbfDate::JulianFromText("20070315   "), 2454175);  // trailing spaces
}

TEST(DbfDateFromText, BlankEmptyAndZerosAreNoDate) {
    EXPECT_EQ(DbfDate::JulianFromText(""), 0);
    EXPECT_EQ(DbfDate::JulianFromText("        "), 0);
    EXPECT_EQ(DbfDate::JulianFromText("00000000"), 0);
    EXPECT_EQ(DbfDate::JulianFromText("00000000  "), 0);
}

// Decision: eight digits that make no real date read as day count 0 (30 December 1899),
// without an error, as the original engine does.
TEST(DbfDateFromText, EightDigitsOfNoRealDateGiveDayCountZero) {
    for (const char* text : {"20071301", "20070230", "20070132", "00001231", "20070015"})
        EXPECT_EQ(DbfDate::JulianFromText(text), 2415019) << text;
}

TEST(DbfDateFromText, OtherTextIsReadInTheShortDateFormat) {
    {
        SettingsGuard settings("yyyy-mm-dd", '-');
        EXPECT_EQ(DbfDate::JulianFromText("2007-03-15"), 2454175);
    }
    {
        SettingsGuard settings("dd/mm/yyyy", '.');
        EXPECT_EQ(DbfDate::JulianFromText("15.03.2007"), 2454175);
        EXPECT_EQ(DbfDate::JulianFromText("20070315"), 2454175);  // digits win over the format
    }
}

TEST(DbfDateFromText, TextThatIsNoDateThrowsDateConversionError) {
    SettingsGuard settings("yyyy-mm-dd", '-');
    for (const char* text : {"abc", "2007-13-01", "2007031", "2007-02-30", "200703150"})
        EXPECT_THROW(DbfDate::JulianFromText(text), DateConversionError) << text;
}

TEST(DbfDateToStorage, WritesEightDigitsOrEightSpaces) {
    EXPECT_EQ(DbfDate::JulianToStorage(2454175), "20070315");
    EXPECT_EQ(DbfDate::JulianToStorage(2415019), "18991230");
    EXPECT_EQ(DbfDate::JulianToStorage(DbfDate::JulianFromDate({987, 1, 2})), "09870102");
    EXPECT_EQ(DbfDate::JulianToStorage(0), "        ");
    EXPECT_EQ(DbfDate::JulianToStorage(-5), "        ");
}

TEST(DbfDateToStorage, RoundTripsEveryFewDaysOverFourCenturies) {
    const std::int32_t first = DbfDate::JulianFromText("18000101");
    const std::int32_t last = DbfDate::JulianFromText("22001231");
    for (std::int32_t j = first; j <= last; j += 13) {
        ASSERT_EQ(DbfDate::JulianFromText(DbfDate::JulianToStorage(j)), j) << j;
    }
    // Leap days: 2000 is a leap year, 1900 and 2100 are not.
    EXPECT_EQ(DbfDate::JulianFromText("20000229") + 1, DbfDate::JulianFromText("20000301"));
    EXPECT_EQ(DbfDate::JulianFromText("19000229"), 2415019);
    EXPECT_EQ(DbfDate::JulianFromText("21000228") + 1, DbfDate::JulianFromText("21000301"));
}

TEST(DbfDateToDisplay, UsesTheShortFormatInUpperCaseWithTheCenturyForced) {
    {
        SettingsGuard settings("yyyy-M-d", '/');
        EXPECT_EQ(DbfDate::JulianToDisplay(2454175), "2007-3-15");
    }
    {
        SettingsGuard settings("yy/mm/dd", '/');
        EXPECT_EQ(DbfDate::JulianToDisplay(2454175), "2007/03/15");
    }
    {
        SettingsGuard settings("M/d/yy", '.');
        EXPECT_EQ(DbfDate::JulianToDisplay(2454175), "3.15.2007");  // '/' is the separator
    }
    {
        // No year at all: "YYYY" is put at the start.
        SettingsGuard settings("dd.mm", '/');
        EXPECT_EQ(DbfDate::JulianToDisplay(2454175), "200715.03");
    }
}

TEST(DbfDateToDisplay, NoDateGivesSpacesOfTheFormatWidth) {
    SettingsGuard settings("yy/mm/dd", '/');
    EXPECT_EQ(DbfDate::JulianToDisplay(0), std::string(10, ' '));  // YYYY/MM/DD
    EXPECT_EQ(DbfDate::JulianToDisplay(-1), std::string(10, ' '));
}

TEST(DbfDateToDisplay, FollowsEveryChangeOfTheSettings) {
    std::string out;
    SettingsGuard settings("yyyy-mm-dd", '-');
    DbfDate::JulianToDisplay(2454175, out);
    EXPECT_EQ(out, "2007-03-15");
    platform::ProcessFormatSettings().shortDateFormat = "dd/mm/yyyy";
    DbfDate::JulianToDisplay(2454175, out);
    EXPECT_EQ(out, "15-03-2007");
    platform::ProcessFormatSettings().dateSeparator = '.';
    DbfDate::JulianToDisplay(2454175, out);
    EXPECT_EQ(out, "15.03.2007");
}

TEST(DbfDateToDisplay, MonthNamesGoThroughThePlatformFormatter) {
    SettingsGuard settings("dd-mmm-yy", '-');
    EXPECT_EQ(DbfDate::JulianToDisplay(2454175), "15-Mar-2007");
}

TEST(DbfDateCalendar, WeekdayDecodeAndToday) {
    EXPECT_EQ(DbfDate::JulianDayOfWeek(2454175), 5);  // a Thursday
    EXPECT_EQ(DbfDate::JulianDayOfWeek(2415019), 7);  // 30 December 1899, a Saturday
    EXPECT_EQ(DbfDate::JulianDayOfWeek(2415020), 1);
    EXPECT_EQ(DbfDate::JulianDayOfWeek(0), 0);

    platform::CivilDate date = DbfDate::JulianDecode(2454175);
    EXPECT_EQ(date.year, 2007);
    EXPECT_EQ(date.month, 3);
    EXPECT_EQ(date.day, 15);
    EXPECT_EQ(DbfDate::JulianFromDate({2007, 3, 15}), 2454175);
    EXPECT_EQ(DbfDate::JulianFromDate({2007, 2, 29}), 0);

    platform::SetFixedTime(platform::LocalTime{2008, 3, 3, 23, 59, 59, 999});
    EXPECT_EQ(DbfDate::JulianToday(), DbfDate::JulianFromText("20080303"));
    platform::SetFixedTime(std::nullopt);
}

}  // namespace
}  // namespace xbase
