// Blank records, the type check rule, and record images built from a field list and
// values in a caller's buffer.
#include <gtest/gtest.h>

#include "FieldTestSupport.h"

namespace xbase {
namespace {

using namespace FieldCodec;
using test::RecordingHook;
using test::TestRecord;

TEST(BlankRecord, SpacesEverywhereAndFormattedZeroInNumbers) {
    TestRecord r{version::DBase3Memo,
                 {{"NAME", 'C', 4},
                  {"AMT", 'N', 6, 2},
                  {"RATE", 'F', 4, 1},
                  {"DAY", 'D', 8},
                  {"OK", 'L', 1},
                  {"NOTE", 'M', 10}}};
    std::fill(r.bytes.begin(), r.bytes.end(), 'x');
    r.bytes[0] = '*';
    BlankRecord(r.data(), r.bytes.size(), r.fields, r.context);
    EXPECT_EQ(r.bytes[0], ' ');
    EXPECT_EQ(r.stored("NAME"), "    ");
    EXPECT_EQ(r.stored("AMT"), "  0.00");
    EXPECT_EQ(r.stored("RATE"), " 0.0");
    EXPECT_EQ(r.stored("DAY"), "        ");
    EXPECT_EQ(r.stored("OK"), " ");
    EXPECT_EQ(r.stored("NOTE"), std::string(10, ' '));  // text memo fields stay blank
}

TEST(BlankRecord, BinaryFieldsOfVersion30TablesHoldBinaryZero) {
    TestRecord r{version::VisualFox, {{"I", 'I', 4}, {"Y", 'Y', 8}, {"T", 'T', 8}, {"M", 'M', 4}}};
    BlankRecord(r.data(), r.bytes.size(), r.fields, r.context);
    EXPECT_EQ(r.stored("I"), std::string(4, '\0'));
    EXPECT_EQ(r.stored("Y"), std::string(8, '\0'));
    EXPECT_EQ(r.stored("M"), std::string(4, '\0'));
    EXPECT_EQ(GetNumber(r.field("T"), r.data(), r.context), 0);
}

TEST(FieldTypeCheck, NumericAndGeneralRequestsAcceptRelatedTypes) {
    for (char type : std::string("BFGIMN")) EXPECT_TRUE(TypeAccepts(type, 'N')) << type;
    for (char type : std::string("CDLTY")) EXPECT_FALSE(TypeAccepts(type, 'N')) << type;
    for (char type : std::string("BGM")) EXPECT_TRUE(TypeAccepts(type, 'G')) << type;
    EXPECT_FALSE(TypeAccepts('N', 'G'));
    EXPECT_TRUE(TypeAccepts('D', 'D'));
    EXPECT_FALSE(TypeAccepts('C', 'D'));
    EXPECT_FALSE(TypeAccepts('C', 'L'));
    EXPECT_FALSE(TypeAccepts('N', 'M'));  // only N and G widen
}

TEST(FieldTypeCheck, FailureNamesTheRequestedField) {
    TestRecord r{version::DBase3, {{"NAME", 'C', 4}}};
    test::ExpectEngineError([&] { CheckFieldType(r.field("NAME"), 'D', "name "); }, 1004, 1299,
                            "dBase field is of incorrect type - name ");
    RecordingHook hook;
    EXPECT_FALSE(CheckFieldType(r.field("NAME"), 'L', "NAME"));
    EXPECT_TRUE(CheckFieldType(r.field("NAME"), 'C', "NAME"));
    EXPECT_EQ(RecordingHook::reports().size(), 1u);
}

TEST(FieldList, SplitsAtSemicolonsAndTrimsEveryName) {
    using Names = std::vector<std::string>;
    EXPECT_EQ(SplitFieldList("a; b ;c"), (Names{"a", "b", "c"}));
    EXPECT_EQ(SplitFieldList(" single "), (Names{"single"}));
    EXPECT_EQ(SplitFieldList("a;"), (Names{"a", ""}));  // the last piece counts too
    EXPECT_EQ(SplitFieldList(""), Names{});
}

class RecordImageTest : public ::testing::Test {
protected:
    TestRecord r{version::DBase3, {{"NAME", 'C', 5}, {"QTY", 'N', 6, 2}, {"DAY", 'D', 8}}};
    std::vector<std::uint8_t> image = std::vector<std::uint8_t>(r.bytes.size(), 'x');

    FieldLookup lookup() {
        return [this](std::string_view name) -> const FieldDescriptor* {
            for (const FieldDescriptor& f : r.fields)
                if (f.name == name) return &f;
            return nullptr;
        };
    }
    std::string imageField(const char* name) {
        const FieldDescriptor& f = r.field(name);
        return std::string(image.begin() + f.offset, image.begin() + f.offset + f.length);
    }
};

TEST_F(RecordImageTest, ArrayValuesGoToTheNamesInOrder) {
    const std::vector<std::optional<std::string>> values{"AB", "1.5", std::nullopt};
    BuildRecordImage(image.data(), image.size(), r.fields, r.context, "NAME; QTY ;DAY", values,
                     true, lookup());
    EXPECT_EQ(image[0], ' ');
    EXPECT_EQ(imageField("NAME"), "AB   ");
    EXPECT_EQ(imageField("QTY"), "  1.50");
    EXPECT_EQ(imageField("DAY"), "        ");
    EXPECT_EQ(r.stored("NAME"), "     ");  // the record itself is untouched
}

TEST_F(RecordImageTest, SingleValueGoesToTheFirstNameOnly) {
    const std::vector<std::optional<std::string>> values{"2"};
    BuildRecordImage(image.data(), image.size(), r.fields, r.context, "QTY;NAME", values, false,
                     lookup());
    EXPECT_EQ(imageField("QTY"), "  2.00");
    EXPECT_EQ(imageField("NAME"), "     ");
}

TEST_F(RecordImageTest, EmptyListGivesTheBlankRecord) {
    BuildRecordImage(image.data(), image.size(), r.fields, r.context, "", {}, true, lookup());
    EXPECT_EQ(imageField("NAME"), "     ");
    EXPECT_EQ(imageField("QTY"), "  0.00");
}

TEST_F(RecordImageTest, NamesBeyondTheArrayAndUnknownNamesAreSkipped) {
    const std::vector<std::optional<std::string>> values{"X", "Y"};
    BuildRecordImage(image.data(), image.size(), r.fields, r.context, "NOPE;NAME;QTY", values, true,
                     lookup());
    EXPECT_EQ(imageField("NAME"), "Y    ");
    EXPECT_EQ(imageField("QTY"), "  0.00");
}

TEST_F(RecordImageTest, FailingWriteLeavesEarlierWritesInTheImage) {
    const std::vector<std::optional<std::string>> values{"AB", "1,5"};
    EXPECT_THROW(BuildRecordImage(image.data(), image.size(), r.fields, r.context, "NAME;QTY",
                                  values, true, lookup()),
                 XBaseError);
    EXPECT_EQ(imageField("NAME"), "AB   ");
    EXPECT_EQ(imageField("QTY"), "  0.00");
}

}  // namespace
}  // namespace xbase
