// Binary fields of version 0x30 tables: B double, G/I/M 32-bit integers, T Julian day and
// milliseconds, Y currency; their byte forms, round trips and blank forms.
#include <gtest/gtest.h>

#include <cstring>

#include "FieldTestSupport.h"

namespace xbase {
namespace {

using namespace FieldCodec;
using test::TestRecord;

class BinaryFieldTest : public ::testing::Test {
protected:
    TestRecord r{
        version::VisualFox,
        {{"B", 'B', 8}, {"G", 'G', 4}, {"I", 'I', 4}, {"M", 'M', 4}, {"T", 'T', 8}, {"Y", 'Y', 8}}};

    static std::string bytes(std::initializer_list<int> list) {
        std::string s;
        for (int b : list) s += static_cast<char>(b);
        return s;
    }
    double read(const char* name) { return GetNumber(r.field(name), r.data(), r.context); }
    void write(const char* name, double value) {
        ASSERT_TRUE(PutNumber(r.field(name), r.data(), r.context, value));
    }
};

TEST_F(BinaryFieldTest, OnlyVersion30TablesHaveBinaryFields) {
    for (char type : std::string("BGIMTY")) {
        EXPECT_TRUE(IsBinary(type, version::VisualFox)) << type;
        EXPECT_FALSE(IsBinary(type, version::FoxProMemo)) << type;
    }
    EXPECT_FALSE(IsBinary('N', version::VisualFox));
    EXPECT_FALSE(IsBinary('D', version::VisualFox));
}

TEST_F(BinaryFieldTest, DoubleIsStoredLittleEndian) {
    write("B", 1.0);
    EXPECT_EQ(r.stored("B"), bytes({0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    write("B", -1234.5678);
    EXPECT_EQ(read("B"), -1234.5678);
}

TEST_F(BinaryFieldTest, IntegersAreTruncatedTowardZeroAndFourSpacesReadAsZero) {
    write("I", -2);
    EXPECT_EQ(r.stored("I"), bytes({0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(read("I"), -2);
    write("I", 3.9);
    EXPECT_EQ(read("I"), 3);
    write("I", -3.9);
    EXPECT_EQ(read("I"), -3);
    write("I", 1e12);  // beyond 32 bits: the largest integer, never undefined behaviour
    EXPECT_EQ(read("I"), 2147483647);
    write("G", 7);
    write("M", 258);
    EXPECT_EQ(r.stored("M"), bytes({2, 1, 0, 0}));
    EXPECT_EQ(read("G"), 7);
    r.store("M", "    ");
    EXPECT_EQ(read("M"), 0);
}

TEST_F(BinaryFieldTest, DateTimeIsJulianDayAndMilliseconds) {
    // 15 March 2007 12:00:00.250
    const double value = (2454175.0 - 1721425.0) * 86400000.0 + 43200250.0;
    write("T", value);
    EXPECT_EQ(r.stored("T"), bytes({0x9F, 0x72, 0x25, 0x00, 0xFA, 0x2E, 0x93, 0x02}));
    EXPECT_EQ(read("T"), value);
    write("T", 0);
    EXPECT_EQ(r.stored("T"), bytes({0x51, 0x44, 0x1A, 0, 0, 0, 0, 0}));  // day 1721425
    EXPECT_EQ(read("T"), 0);
    // Spaces: the day counts as 2,415,019, the milliseconds as 0.
    r.store("T", "        ");
    EXPECT_EQ(read("T"), (2415019.0 - 1721425.0) * 86400000.0);
}

TEST_F(BinaryFieldTest, CurrencyKeepsFourDecimalsExactly) {
    write("Y", 12.3456);
    EXPECT_EQ(r.stored("Y"), bytes({0x40, 0xE2, 0x01, 0, 0, 0, 0, 0}));  // 123456
    EXPECT_EQ(read("Y"), 12.3456);
    write("Y", 1.2345);  // 12344.999... after the multiplication: rounded, not truncated
    EXPECT_EQ(read("Y"), 1.2345);
    write("Y", -7.5);
    EXPECT_EQ(read("Y"), -7.5);
}

TEST_F(BinaryFieldTest, MemoMarksReadTheBlockNumber) {
    write("M", 5);
    write("G", 0);
    write("B", 0.05);
    EXPECT_EQ(GetText(r.field("M"), r.data(), r.context), "---MEMO---");
    EXPECT_EQ(GetText(r.field("G"), r.data(), r.context), "-general--");
    EXPECT_EQ(GetText(r.field("B"), r.data(), r.context), "--binary--");
    write("B", 2);
    EXPECT_EQ(GetText(r.field("B"), r.data(), r.context), "--BINARY--");
}

TEST_F(BinaryFieldTest, CurrencyAndDateTimeOnlyInVersion30Tables) {
    test::RecordingHook hook;
    TestRecord plain{version::FoxProMemo, {{"T", 'T', 8}, {"Y", 'Y', 8}}};
    EXPECT_FALSE(PutNumber(plain.field("T"), plain.data(), plain.context, 1));
    EXPECT_FALSE(PutNumber(plain.field("Y"), plain.data(), plain.context, 1));
    EXPECT_EQ(test::RecordingHook::reports().size(), 2u);
}

}  // namespace
}  // namespace xbase
