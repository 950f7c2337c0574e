// Field definitions by table type, and the text forms of typed values read from and
// written to the table.
#include <gtest/gtest.h>

#include <map>

#include "data/DataError.h"
#include "platform/FormatSettings.h"
#include "xbase/dataset/DataSetTestSupport.h"
#include "xbase/file/EngineError.h"

namespace {

using datasettest::TableDir;

class FieldTypes : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = platform::ProcessFormatSettings();
        platform::ProcessFormatSettings().shortDateFormat = "yyyy-mm-dd";
        platform::ProcessFormatSettings().dateSeparator = '-';
        platform::ProcessFormatSettings().decimalSeparator = '.';
    }
    void TearDown() override { platform::ProcessFormatSettings() = saved_; }

    static tabletest::TableShape TypesShape(const std::vector<std::string>& records) {
        tabletest::TableShape layout;
        layout.fields = {{"S4", 'N', 4, 0},   {"I5", 'N', 5, 0},    {"I9", 'N', 9, 0},
                         {"BIG", 'N', 10, 0}, {"PRICE", 'N', 8, 2}, {"F", 'F', 6, 1},
                         {"D", 'D', 8, 0},    {"OK", 'L', 1, 0},    {"NOTE", 'M', 10, 0},
                         {"ODD", 'Q', 3, 0}};
        layout.records = records;
        return layout;
    }

    // One record from the fields' values by name; numbers right-aligned, the rest
    // left-aligned, missing fields blank.
    static std::string Row(const std::map<std::string, std::string>& values) {
        std::string record;
        for (const auto& field : TypesShape({}).fields) {
            auto it = values.find(field.name);
            std::string text = it == values.end() ? std::string() : it->second;
            std::string pad(static_cast<std::size_t>(field.length) - text.size(), ' ');
            bool right = field.type == 'N' || field.type == 'F' || field.type == 'M';
            record += right ? pad + text : text + pad;
        }
        return record;
    }

    platform::FormatSettings saved_;
};

TEST_F(FieldTypes, DefinitionsFollowTheTableTypes) {
    TableDir table("T.DBF", TypesShape({}));
    auto dataSet = table.Open();
    const auto& defs = dataSet->FieldDefs();
    ASSERT_EQ(defs.Count(), 9);  // the unknown type has no definition
    EXPECT_EQ(defs[0].dataType, data::ftSmallint);
    EXPECT_EQ(defs[1].dataType, data::ftInteger);
    EXPECT_EQ(defs[2].dataType, data::ftInteger);
    EXPECT_EQ(defs[3].dataType, data::ftFloat);  // ten digits do not fit 32 bits
    EXPECT_EQ(defs[4].dataType, data::ftFloat);
    EXPECT_EQ(defs[5].dataType, data::ftFloat);
    EXPECT_EQ(defs[6].dataType, data::ftDate);
    EXPECT_EQ(defs[7].dataType, data::ftBoolean);
    EXPECT_EQ(defs[8].dataType, data::ftMemo);
    for (const auto& def : defs) EXPECT_FALSE(def.required);
    EXPECT_EQ(dataSet->FindField("ODD"), nullptr);
}

TEST_F(FieldTypes, TextFormsOfStoredValues) {
    TableDir table("T.DBF", TypesShape({Row({{"S4", "-7"},
                                             {"I5", "123"},
                                             {"I9", "12345"},
                                             {"BIG", "9876543210"},
                                             {"PRICE", "12.50"},
                                             {"F", "3.0"},
                                             {"D", "20000229"},
                                             {"OK", "T"},
                                             {"NOTE", "12"},
                                             {"ODD", "XYZ"}})}));
    auto dataSet = table.Open();
    EXPECT_EQ(dataSet->FieldByName("S4").AsString(), "-7");
    EXPECT_EQ(dataSet->FieldByName("I5").AsInteger(), 123);
    EXPECT_EQ(dataSet->FieldByName("I9").AsString(), "12345");
    EXPECT_EQ(dataSet->FieldByName("BIG").AsString(), "9876543210");
    EXPECT_EQ(dataSet->FieldByName("PRICE").AsString(), "12.5");
    EXPECT_EQ(dataSet->FieldByName("F").AsString(), "3");
    EXPECT_EQ(dataSet->FieldByName("D").AsString(), "2000-02-29");
    EXPECT_EQ(dataSet->FieldByName("OK").AsString(), "True");
}

TEST_F(FieldTypes, BlankAndZeroDatesAreNull) {
    TableDir table("T.DBF",
                   TypesShape({Row({}), Row({{"D", "00000000"}}), Row({{"D", "20001301"}})}));
    auto dataSet = table.Open();
    for (int row = 0; row < 3; ++row) {
        EXPECT_TRUE(dataSet->FieldByName("D").IsNull()) << row;
        EXPECT_EQ(dataSet->FieldByName("D").AsString(), "") << row;
        EXPECT_EQ(dataSet->FieldByName("OK").AsString(), "False") << row;
        EXPECT_EQ(dataSet->FieldByName("PRICE").AsString(), "0") << row;
        dataSet->Next();
    }
}

TEST_F(FieldTypes, AssignedTextIsStoredInTheFileForms) {
    TableDir table("T.DBF", TypesShape({""}));
    auto dataSet = table.Open();
    dataSet->Edit();
    dataSet->FieldByName("S4").SetAsString("42");
    dataSet->FieldByName("BIG").SetAsString("4000000000");
    dataSet->FieldByName("PRICE").SetAsString("2.675");
    dataSet->FieldByName("D").SetAsString("2024-03-01");
    dataSet->FieldByName("OK").SetAsString("yes");
    dataSet->Post();
    dataSet->Close();

    auto bytes = table.Bytes();
    int header = tabletest::HeaderLengthOf(TypesShape({}));
    std::string record(bytes.begin() + header + 1, bytes.begin() + header + 55);
    EXPECT_EQ(record.substr(0, 4), "  42");
    EXPECT_EQ(record.substr(18, 10), "4000000000");
    EXPECT_EQ(record.substr(28, 8), "    2.68");
    EXPECT_EQ(record.substr(42, 8), "20240301");
    EXPECT_EQ(record.substr(50, 1), "T");
}

TEST_F(FieldTypes, ClearingADateStoresBlanks) {
    TableDir table("T.DBF", TypesShape({Row({{"D", "20240301"}})}));
    auto dataSet = table.Open();
    dataSet->Edit();
    dataSet->FieldByName("D").Clear();
    dataSet->Post();
    EXPECT_TRUE(dataSet->FieldByName("D").IsNull());
    auto bytes = table.Bytes();
    int header = tabletest::HeaderLengthOf(TypesShape({}));
    EXPECT_EQ(std::string(bytes.begin() + header + 43, bytes.begin() + header + 51), "        ");
}

TEST_F(FieldTypes, NumberTooWideForTheFieldFailsWithTheEngineMessage) {
    TableDir table("T.DBF", TypesShape({""}));
    auto dataSet = table.Open();
    dataSet->Edit();
    try {
        dataSet->FieldByName("PRICE").SetAsFloat(123456.5);
        FAIL();
    } catch (const xbase::XBaseError& e) {
        EXPECT_EQ(e.code(), xbase::err::NumberTooLarge);
    }
    dataSet->Cancel();
}

TEST_F(FieldTypes, DecimalSeparatorOfTheSettingsIsUsed) {
    TableDir table("T.DBF", TypesShape({Row({{"PRICE", "12.50"}})}));
    platform::ProcessFormatSettings().decimalSeparator = ',';
    auto dataSet = table.Open();
    EXPECT_EQ(dataSet->FieldByName("PRICE").AsString(), "12,5");
}

TEST_F(FieldTypes, RawTextKeepsTheStoredForm) {
    TableDir table("T.DBF", TypesShape({Row({{"S4", "-7"}})}));
    auto dataSet = table.Open();
    EXPECT_EQ(dataSet->FieldRawText(dataSet->FieldByName("S4")), "  -7");
    EXPECT_EQ(dataSet->FieldRawText(dataSet->FieldByName("PRICE")), "        ");
}

}  // namespace
