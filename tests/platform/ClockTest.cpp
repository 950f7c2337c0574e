// The local clock: real time with milliseconds, or a fixed time for tests.
#include <gtest/gtest.h>

#include <ctime>

#include "platform/Clock.h"
#include "platform/DateText.h"

TEST(Clock, RealTimeIsTodayWithMilliseconds) {
    platform::SetFixedTime(std::nullopt);
    const std::time_t before = std::time(nullptr);
    const platform::LocalTime now = platform::LocalNow();
    const std::time_t after = std::time(nullptr);
    std::tm a{}, b{};
    ::localtime_r(&before, &a);
    ::localtime_r(&after, &b);
    EXPECT_TRUE(now.year == a.tm_year + 1900 || now.year == b.tm_year + 1900);
    EXPECT_TRUE(now.day == a.tm_mday || now.day == b.tm_mday);
    EXPECT_TRUE(platform::IsValidDate(now.year, now.month, now.day));
    EXPECT_GE(now.hour, 0);
    EXPECT_LE(now.hour, 23);
    EXPECT_LE(now.minute, 59);
    EXPECT_LE(now.second, 59);
    EXPECT_GE(now.millisecond, 0);
    EXPECT_LE(now.millisecond, 999);
}

TEST(Clock, FixedTimeHoldsUntilReleased) {
    platform::LocalTime fixed;
    fixed.year = 2007;
    fixed.month = 3;
    fixed.day = 15;
    fixed.hour = 9;
    fixed.minute = 30;
    fixed.second = 5;
    fixed.millisecond = 250;
    platform::SetFixedTime(fixed);
    const platform::LocalTime a = platform::LocalNow();
    const platform::LocalTime b = platform::LocalNow();
    platform::SetFixedTime(std::nullopt);
    EXPECT_EQ(a.year, 2007);
    EXPECT_EQ(a.month, 3);
    EXPECT_EQ(a.day, 15);
    EXPECT_EQ(a.hour, 9);
    EXPECT_EQ(a.minute, 30);
    EXPECT_EQ(a.second, 5);
    EXPECT_EQ(a.millisecond, 250);
    EXPECT_EQ(b.millisecond, 250);
    EXPECT_NE(platform::LocalNow().year, 2007);
}
