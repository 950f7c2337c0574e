// Typed fields: conversions in both directions, null handling, errors, names.
#include <gtest/gtest.h>

#include "MemDataSet.h"
#include "data/BooleanField.h"
#include "data/DataError.h"
#include "data/FieldFactory.h"
#include "data/IntegerField.h"
#include "platform/FormatSettings.h"

using namespace data;
using datatest::MemDataSet;

namespace {

std::string ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const DataError& e) {
        return e.what();
    }
    return "no error";
}

std::vector<FieldDef> AllTypes() {
    std::vector<FieldDef> defs;
    auto add = [&](const char* name, FieldType type, int size = 0) {
        FieldDef def;
        def.name = name;
        def.dataType = type;
        def.size = size;
        defs.push_back(def);
    };
    add("S", ftString, 8);
    add("SI", ftSmallint);
    add("I", ftInteger);
    add("F", ftFloat);
    add("B", ftBoolean);
    add("D", ftDate);
    add("DT", ftDateTime);
    add("M", ftMemo);
    return defs;
}

// Each case runs on a dataset that keeps typed values and on one that keeps text.
class FieldTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        saved_ = platform::ProcessFormatSettings();
        platform::ProcessFormatSettings() = platform::FormatSettings{};
        ds_ = std::make_unique<MemDataSet>(AllTypes(), GetParam());
        ds_->Open();
        ds_->Append();
    }
    void TearDown() override { platform::ProcessFormatSettings() = saved_; }
    Field& F(const char* name) { return ds_->FieldByName(name); }

    platform::FormatSettings saved_;
    std::unique_ptr<MemDataSet> ds_;
};

TEST_P(FieldTest, DefaultFieldsHaveTheClassOfTheirType) {
    ASSERT_EQ(ds_->FieldCount(), 8);
    EXPECT_EQ(F("s").DataType(), ftString);
    EXPECT_EQ(F("s").Size(), 8);
    EXPECT_EQ(F("SI").DataType(), ftSmallint);
    EXPECT_NE(dynamic_cast<IntegerField*>(&F("SI")), nullptr);
    EXPECT_EQ(F("m").DataType(), ftMemo);
    EXPECT_TRUE(F("M").IsBlob());
    EXPECT_EQ(F("F").Index(), 3);
    EXPECT_EQ(F("F").FieldNo(), 4);
    EXPECT_EQ(F("dt").DisplayLabel(), "DT");
}

TEST_P(FieldTest, NullReadsAsEmptyTextAndZero) {
    for (auto& field : ds_->Fields()) {
        EXPECT_TRUE(field->IsNull()) << field->FieldName();
        EXPECT_EQ(field->AsString(), "") << field->FieldName();
    }
    EXPECT_EQ(F("I").AsInteger(), 0);
    EXPECT_EQ(F("F").AsFloat(), 0.0);
    EXPECT_FALSE(F("B").AsBoolean());
    EXPECT_EQ(F("D").AsDateTime(), 0.0);
}

TEST_P(FieldTest, TextFormsOfEachType) {
    F("S").SetAsString("abc");
    F("SI").SetAsInteger(-12);
    F("I").SetAsString(" 42 ");
    F("F").SetAsFloat(12.50);
    F("B").SetAsBoolean(true);
    F("D").SetAsString("2024-01-15");
    F("DT").SetAsDateTime(45306.5);
    F("M").SetAsString("long text");
    EXPECT_EQ(F("S").AsString(), "abc");
    EXPECT_EQ(F("SI").AsString(), "-12");
    EXPECT_EQ(F("I").AsString(), "42");
    EXPECT_EQ(F("F").AsString(), "12.5");
    EXPECT_EQ(F("B").AsString(), "True");
    EXPECT_EQ(F("D").AsString(), "2024-01-15");
    EXPECT_EQ(F("DT").AsString(), "2024-01-15 12:00:00");
    EXPECT_EQ(F("M").AsString(), "long text");
    ds_->Post();
    EXPECT_EQ(F("F").AsString(), "12.5");
    EXPECT_DOUBLE_EQ(F("D").AsDateTime(), 45306);
    EXPECT_EQ(F("I").AsInteger(), 42);
}

TEST_P(FieldTest, AssigningEmptyTextToNonStringFieldsSetsNull) {
    F("I").SetAsInteger(5);
    F("F").SetAsFloat(1.5);
    F("B").SetAsBoolean(false);
    F("D").SetAsDateTime(100);
    for (const char* name : {"I", "F", "B", "D", "S"}) {
        F(name).SetAsString("");
        EXPECT_TRUE(F(name).IsNull()) << name;
    }
}

TEST_P(FieldTest, ConversionsAcrossTypes) {
    F("I").SetAsFloat(2.5);  // rounds half away from zero
    EXPECT_EQ(F("I").AsInteger(), 3);
    EXPECT_DOUBLE_EQ(F("I").AsFloat(), 3.0);
    F("F").SetAsString("-0.125");
    EXPECT_EQ(F("F").AsInteger(), 0);
    F("F").SetAsInteger(7);
    EXPECT_EQ(F("F").AsString(), "7");
    F("S").SetAsFloat(0.5);
    EXPECT_EQ(F("S").AsString(), "0.5");
    EXPECT_DOUBLE_EQ(F("S").AsFloat(), 0.5);
    F("S").SetAsString("Yes");
    EXPECT_TRUE(F("S").AsBoolean());
    F("B").SetAsString("n");
    EXPECT_EQ(F("B").AsString(), "False");
    EXPECT_EQ(F("B").AsInteger(), 0);
    F("D").SetAsString("2024-01-15 23:59:00");  // the time of a date is dropped
    EXPECT_EQ(F("D").AsString(), "2024-01-15");
    F("DT").SetValue(FieldValue{std::string("2024-01-15 06:30:00")});
    EXPECT_DOUBLE_EQ(F("DT").AsFloat(), 45306 + 6.5 / 24);
}

TEST_P(FieldTest, InvalidValuesRaiseClearErrors) {
    EXPECT_EQ(ErrorOf([&] { F("I").SetAsString("abc"); }), "'abc' is not a valid integer value");
    EXPECT_EQ(ErrorOf([&] { F("F").SetAsString("1.2.3"); }),
              "'1.2.3' is not a valid floating point value");
    EXPECT_EQ(ErrorOf([&] { F("B").SetAsString("maybe"); }),
              "'maybe' is not a valid boolean value");
    EXPECT_EQ(ErrorOf([&] { F("D").SetAsString("15/01/2024"); }),
              "'15/01/2024' is not a valid date");
    EXPECT_EQ(ErrorOf([&] { F("SI").SetAsInteger(40000); }),
              "40000 is not a valid value for field 'SI'. The allowed range is -32768 to 32767");
    EXPECT_EQ(ErrorOf([&] { F("SI").SetAsString("-40000"); }),
              "-40000 is not a valid value for field 'SI'. The allowed range is -32768 to "
              "32767");
    EXPECT_EQ(ErrorOf([&] { F("I").SetAsFloat(1e10); }),
              "10000000000 is not a valid value for field 'I'. The allowed range is -2147483648 to "
              "2147483647");
    EXPECT_EQ(ErrorOf([&] { F("I").SetAsBoolean(true); }),
              "Cannot access field 'I' as type Boolean");
    EXPECT_EQ(ErrorOf([&] { F("D").SetAsFloat(1e9); }), "Date value out of range");
    EXPECT_TRUE(F("I").IsNull());  // nothing was stored by the failed assignments
}

TEST_P(FieldTest, BooleanDisplayValuesAreUsedBothWays) {
    auto& b = dynamic_cast<BooleanField&>(F("B"));
    b.SetDisplayValues("Ja;Nein");
    b.SetAsString("ja");
    EXPECT_EQ(b.AsString(), "Ja");
    b.SetAsString("NEIN");
    EXPECT_FALSE(b.AsBoolean());
    b.SetAsString("T");
    EXPECT_EQ(b.AsString(), "Ja");
}

TEST_P(FieldTest, DecimalSeparatorOfTheSettingsApplies) {
    platform::ProcessFormatSettings().decimalSeparator = ',';
    F("F").SetAsString("12,50");
    EXPECT_EQ(F("F").AsString(), "12,5");
    EXPECT_DOUBLE_EQ(F("F").AsFloat(), 12.5);
}

TEST_P(FieldTest, ReadOnlyFieldsAndStatesRefuseAssignment) {
    F("S").SetReadOnly(true);
    EXPECT_EQ(ErrorOf([&] { F("S").SetAsString("x"); }), "Field 'S' cannot be modified");
    F("S").SetDisplayLabel("Name");
    EXPECT_EQ(ErrorOf([&] { F("S").SetAsString("x"); }), "Field 'Name' cannot be modified");
    ds_->Cancel();
    EXPECT_EQ(ErrorOf([&] { F("I").SetAsInteger(1); }), "Dataset not in edit or insert mode");
    ds_->Close();
    EXPECT_EQ(ErrorOf([&] { ds_->FieldByName("I"); }), "Field 'I' not found");
}

TEST_P(FieldTest, OldValueKeepsThePostedValueDuringAnEdit) {
    F("I").SetAsInteger(1);
    ds_->Post();
    ds_->Edit();
    F("I").SetAsInteger(2);
    EXPECT_EQ(std::get<std::int32_t>(F("I").OldValue()), 1);
    EXPECT_EQ(std::get<std::int32_t>(F("I").NewValue()), 2);
    EXPECT_EQ(ds_->State(), dsEdit);
    ds_->Cancel();
    EXPECT_EQ(F("I").AsInteger(), 1);
}

TEST_P(FieldTest, ValidationAndChangeEventsSeeTheValue) {
    std::vector<std::string> seen;
    F("I").OnValidate = [&](Field&, const FieldValue& v) {
        if (std::get<std::int32_t>(v) < 0) throw DataError("negative");
    };
    F("I").OnChange = [&](Field& f) { seen.push_back(f.AsString()); };
    F("I").SetAsInteger(4);
    EXPECT_EQ(ErrorOf([&] { F("I").SetAsInteger(-1); }), "negative");
    EXPECT_EQ(F("I").AsInteger(), 4);
    EXPECT_EQ(seen, std::vector<std::string>{"4"});
    EXPECT_TRUE(ds_->Modified());
}

INSTANTIATE_TEST_SUITE_P(Storage, FieldTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Text" : "Typed"; });

TEST(FieldNames, FieldByNameIgnoresCaseAndNamesTheUnknownField) {
    auto ds = datatest::MakeNumbered(2);
    ds->Open();
    EXPECT_EQ(&ds->FieldByName("name"), &ds->FieldByName("NAME"));
    EXPECT_EQ(&ds->FieldByName("NaMe"), ds->FindField("name"));
    EXPECT_EQ(ds->FindField("missing"), nullptr);
    EXPECT_EQ(ErrorOf([&] { ds->FieldByName("NO_SUCH"); }), "Field 'NO_SUCH' not found");
    EXPECT_EQ(ErrorOf([&] { ds->Fields()[3]; }), "Field index out of range");
}

TEST(FieldNames, PersistentFieldsBindByNameAndCheckTypes) {
    auto ds = datatest::MakeNumbered(2);
    ds->AddField(NewField(ftFloat, "price"));
    ds->Open();
    EXPECT_EQ(ds->FieldCount(), 1);
    EXPECT_EQ(ds->Fields()[0].AsString(), "1.5");
    ds->Close();
    EXPECT_EQ(ds->FieldCount(), 1);  // persistent fields outlive the open
    EXPECT_EQ(ErrorOf([&] { ds->AddField(NewField(ftInteger, "PRICE")); }),
              "Duplicate field name 'PRICE'");

    auto wrong = datatest::MakeNumbered(1);
    wrong->AddField(NewField(ftBoolean, "ID"));
    EXPECT_EQ(ErrorOf([&] { wrong->Open(); }), "Type mismatch for field 'ID'");
    EXPECT_FALSE(wrong->Active());
    auto missing = datatest::MakeNumbered(1);
    missing->AddField(NewField(ftString, "NOPE", 5));
    EXPECT_EQ(ErrorOf([&] { missing->Open(); }), "Field 'NOPE' not found");
}

TEST(FieldNames, TextDefinitionsTakeTypedFields) {
    std::vector<FieldDef> defs(1);
    defs[0].name = "AMOUNT";
    defs[0].dataType = ftString;
    defs[0].size = 20;
    MemDataSet ds(defs, true);
    ds.AddRow({std::string("12.50")});
    ds.AddField(NewField(ftFloat, "AMOUNT"));
    ds.Open();
    EXPECT_EQ(ds.FieldByName("amount").AsString(), "12.5");
    EXPECT_DOUBLE_EQ(ds.FieldByName("amount").AsFloat(), 12.5);
}

}  // namespace
