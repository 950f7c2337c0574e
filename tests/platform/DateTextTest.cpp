// Calendar arithmetic and date text in short date formats, with the two-digit year
// window taken from the (fixed) clock.
#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/DateText.h"

using platform::CivilDate;
using platform::DateFromDayCount;
using platform::DayCountFromDate;
using platform::FormatDate;
using platform::ParseDate;

namespace {

// 15 March 2007, a Thursday: Julian day 2,454,175 in the engine.
const CivilDate kMarch15{2007, 3, 15};
constexpr std::int64_t kMarch15Count = 2454175 - 2415019;

bool sameDate(const std::optional<CivilDate>& a, const CivilDate& b) {
    return a && a->year == b.year && a->month == b.month && a->day == b.day;
}

// Fixes the clock's year for the two-digit year window.
class FixedYear : public ::testing::Test {
protected:
    void SetUp() override {
        platform::LocalTime t;
        t.year = 2026;
        t.month = 6;
        t.day = 1;
        platform::SetFixedTime(t);
    }
    void TearDown() override { platform::SetFixedTime(std::nullopt); }
};

}  // namespace

TEST(Calendar, DayCountsFromThePlatformEpoch) {
    EXPECT_EQ(DayCountFromDate({1899, 12, 30}), 0);
    EXPECT_EQ(DayCountFromDate({1900, 1, 1}), 2);
    EXPECT_EQ(DayCountFromDate({1980, 1, 1}), 29221);
    EXPECT_EQ(DayCountFromDate({2000, 1, 1}), 2451545 - 2415019);
    EXPECT_EQ(DayCountFromDate(kMarch15), kMarch15Count);
    EXPECT_EQ(DayCountFromDate({1899, 12, 29}), -1);
    EXPECT_EQ(DayCountFromDate({1, 1, 1}), -693593);
}

TEST(Calendar, DatesAndDayCountsRoundTrip) {
    for (std::int64_t count = -693593; count <= 2958465; count += 97) {
        const CivilDate date = DateFromDayCount(count);
        ASSERT_TRUE(platform::IsValidDate(date.year, date.month, date.day)) << count;
        ASSERT_EQ(DayCountFromDate(date), count);
    }
    const CivilDate last = DateFromDayCount(2958465);
    EXPECT_EQ(last.year, 9999);
    EXPECT_EQ(last.month, 12);
    EXPECT_EQ(last.day, 31);
}

TEST(Calendar, ValidDates) {
    EXPECT_TRUE(platform::IsValidDate(2000, 2, 29));
    EXPECT_TRUE(platform::IsValidDate(2004, 2, 29));
    EXPECT_FALSE(platform::IsValidDate(1900, 2, 29));
    EXPECT_FALSE(platform::IsValidDate(2007, 2, 29));
    EXPECT_FALSE(platform::IsValidDate(2007, 2, 30));
    EXPECT_FALSE(platform::IsValidDate(2007, 4, 31));
    EXPECT_FALSE(platform::IsValidDate(2007, 13, 1));
    EXPECT_FALSE(platform::IsValidDate(2007, 0, 1));
    EXPECT_FALSE(platform::IsValidDate(2007, 1, 0));
    EXPECT_FALSE(platform::IsValidDate(2007, 1, 32));
    EXPECT_FALSE(platform::IsValidDate(0, 1, 1));
    EXPECT_FALSE(platform::IsValidDate(10000, 1, 1));
}

TEST(Calendar, DayOfWeekStartsOnSunday) {
    EXPECT_EQ(platform::DayOfWeek(kMarch15Count), 5);  // Thursday
    EXPECT_EQ(platform::DayOfWeek(0), 7);              // 1899-12-30, Saturday
    EXPECT_EQ(platform::DayOfWeek(1), 1);              // Sunday
    EXPECT_EQ(platform::DayOfWeek(-1), 6);
    EXPECT_EQ(platform::DayOfWeek(-7), 7);
}

TEST(FormatDate, NumbersInAnyCaseAndWidth) {
    EXPECT_EQ(FormatDate("yyyy-mm-dd", kMarch15, '-'), "2007-03-15");
    EXPECT_EQ(FormatDate("YYYY-MM-DD", kMarch15, '-'), "2007-03-15");
    EXPECT_EQ(FormatDate("yyyy-M-d", kMarch15, '-'), "2007-3-15");
    EXPECT_EQ(FormatDate("YYYY-M-D", {2007, 1, 5}, '-'), "2007-1-5");
    EXPECT_EQ(FormatDate("M/d/yyyy", kMarch15, '/'), "3/15/2007");
    EXPECT_EQ(FormatDate("dd.mm.yy", {2009, 1, 2}, '.'), "02.01.09");
    EXPECT_EQ(FormatDate("yyyy", {5, 1, 1}, '-'), "0005");
    EXPECT_EQ(FormatDate("yyyymmdd", kMarch15, '-'), "20070315");
}

TEST(FormatDate, SlashIsTheDateSeparatorOtherCharactersAreLiteral) {
    EXPECT_EQ(FormatDate("yy/mm/dd", kMarch15, '/'), "07/03/15");
    EXPECT_EQ(FormatDate("yy/mm/dd", kMarch15, '-'), "07-03-15");
    EXPECT_EQ(FormatDate("yyyy/mm/dd", kMarch15, '.'), "2007.03.15");
    EXPECT_EQ(FormatDate("yyyy-mm-dd", kMarch15, '/'), "2007-03-15");
    EXPECT_EQ(FormatDate("yyyy年m月d日", kMarch15, '-'), "2007年3月15日");
    EXPECT_EQ(FormatDate("'day' d", kMarch15, '-'), "day 15");
}

TEST(FormatDate, NamesOfDaysAndMonths) {
    EXPECT_EQ(FormatDate("ddd mmm d", kMarch15, '-'), "Thu Mar 15");
    EXPECT_EQ(FormatDate("dddd, mmmm d", kMarch15, '-'), "Thursday, March 15");
}

TEST(FormatDate, FormatsChangingBetweenCallsAreEachHonoured) {
    // More formats than the per-thread cache holds, alternating.
    const char* formats[] = {"yyyy-mm-dd", "yy/mm/dd", "M/d/yyyy",
                             "dd.mm.yyyy", "yyyymmdd", "d-m-yy"};
    const char* expected[] = {"2007-03-15", "07/03/15", "3/15/2007",
                              "15.03.2007", "20070315", "15-3-07"};
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 6; ++i) EXPECT_EQ(FormatDate(formats[i], kMarch15, '/'), expected[i]);
}

TEST_F(FixedYear, ParseReadsTheFormatsOrder) {
    EXPECT_TRUE(sameDate(ParseDate("2007-03-15", "yyyy-mm-dd", '-'), kMarch15));
    EXPECT_TRUE(sameDate(ParseDate("2007-3-15", "yyyy-M-d", '-'), kMarch15));
    EXPECT_TRUE(sameDate(ParseDate("3/15/2007", "M/d/yyyy", '/'), kMarch15));
    EXPECT_TRUE(sameDate(ParseDate("15.03.2007", "dd.mm.yyyy", '.'), kMarch15));
    EXPECT_TRUE(sameDate(ParseDate("2007-15-03", "yyyy-dd-mm", '-'), kMarch15));
}

TEST_F(FixedYear, ParseAcceptsTheSeparatorAndTheFormatsOwnCharacter) {
    EXPECT_TRUE(sameDate(ParseDate("2007/03/15", "yyyy-mm-dd", '/'), kMarch15));
    EXPECT_TRUE(sameDate(ParseDate("2007-03-15", "yyyy-mm-dd", '/'), kMarch15));
    EXPECT_TRUE(sameDate(ParseDate("2007.03.15", "yyyy/mm/dd", '.'), kMarch15));
    EXPECT_FALSE(ParseDate("2007.03.15", "yyyy-mm-dd", '-'));
}

TEST_F(FixedYear, ParseAllowsBlanksAroundTheDate) {
    EXPECT_TRUE(sameDate(ParseDate("2007-03-15   ", "yyyy-mm-dd", '-'), kMarch15));
    EXPECT_TRUE(sameDate(ParseDate(" 2007-03-15", "yyyy-mm-dd", '-'), kMarch15));
    EXPECT_TRUE(sameDate(ParseDate("2007.03.15.", "yyyy.mm.dd.", '.'), kMarch15));
}

TEST_F(FixedYear, TwoDigitYearsFallInTheWindowAroundNow) {
    EXPECT_TRUE(sameDate(ParseDate("07/03/15", "yy/mm/dd", '/'), kMarch15));
    EXPECT_TRUE(sameDate(ParseDate("80/01/01", "yy/mm/dd", '/'), {1980, 1, 1}));
    EXPECT_TRUE(sameDate(ParseDate("76/01/01", "yy/mm/dd", '/'), {1976, 1, 1}));
    EXPECT_TRUE(sameDate(ParseDate("75/01/01", "yy/mm/dd", '/'), {2075, 1, 1}));
    EXPECT_TRUE(sameDate(ParseDate("3/15/07", "M/d/yyyy", '/'), kMarch15));
    // Four digits are taken as they stand.
    EXPECT_TRUE(sameDate(ParseDate("0007/03/15", "yy/mm/dd", '/'), {7, 3, 15}));
}

TEST_F(FixedYear, DayAndMonthAloneAreInTheCurrentYear) {
    EXPECT_TRUE(sameDate(ParseDate("3/15", "M/d/yyyy", '/'), {2026, 3, 15}));
    EXPECT_TRUE(sameDate(ParseDate("15.3", "dd.mm.yyyy", '.'), {2026, 3, 15}));
    EXPECT_TRUE(sameDate(ParseDate("03-15", "yyyy-mm-dd", '-'), {2026, 3, 15}));
}

TEST_F(FixedYear, TextsThatAreNoDateAreRefused) {
    const char* format = "yyyy-mm-dd";
    for (const char* text : {"2007-02-30", "2007-13-01", "2007-00-10", "2007-04-31", "1900-02-29",
                             "", "   ", "abc", "2007-03-15x", "2007-03-15-1", "2007--03-15",
                             "12345-01-01", "2007-03-", "2007", "2007-03-15 x", "0000-01-01"}) {
        EXPECT_FALSE(ParseDate(text, format, '-')) << '"' << text << '"';
    }
}

TEST_F(FixedYear, FormattedDatesParseBack) {
    for (const char* format : {"yyyy-mm-dd", "yyyy-M-d", "yy/mm/dd", "M/d/yyyy", "dd.mm.yyyy"}) {
        for (std::int64_t count = DayCountFromDate({1977, 1, 1});
             count < DayCountFromDate({2075, 12, 31}); count += 37) {
            const CivilDate date = DateFromDayCount(count);
            const std::string text = FormatDate(format, date, '/');
            ASSERT_TRUE(sameDate(ParseDate(text, format, '/'), date)) << format << " " << text;
        }
    }
}
