// Text translation: program text is UTF-8, the table holds the OEM code page's bytes
// (GBK by default); values too long for their field lose whole characters only.
#include <gtest/gtest.h>
#include <iconv.h>

#include "platform/CodePage.h"
#include "xbase/dataset/DataSetTestSupport.h"
#include "xbase/dataset/TextTranslation.h"

namespace {

using datasettest::TableDir;

// The bytes iconv makes of UTF-8 text in another encoding.
std::string Iconv(const std::string& text, const char* to) {
    iconv_t cd = iconv_open(to, "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in = text;
    std::string out(in.size() * 4 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    EXPECT_NE(iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft), static_cast<std::size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

tabletest::TableShape TextShape(int width) {
    tabletest::TableShape layout;
    layout.fields = {{"TEXT", 'C', width, 0}};
    layout.records = {""};
    return layout;
}

std::string StoredText(const TableDir& table, int width) {
    auto bytes = table.Bytes();
    int at = tabletest::HeaderLengthOf(TextShape(width)) + 1;
    return std::string(bytes.begin() + at, bytes.begin() + at + width);
}

void WriteText(xbase::XBaseDataSet& dataSet, const std::string& text) {
    dataSet.Edit();
    dataSet.FieldByName("TEXT").SetAsString(text);
    dataSet.Post();
}

TEST(TextTranslation, ChineseIsStoredAsGbkAndReadsBackUnchanged) {
    const std::string text = "税控发票 No.1";
    TableDir table("T.DBF", TextShape(20));
    auto dataSet = table.Open();
    WriteText(*dataSet, text);
    std::string gbk = Iconv(text, "GBK");
    EXPECT_EQ(StoredText(table, 20), gbk + std::string(20 - gbk.size(), ' '));
    dataSet->Close();
    auto again = table.Open();
    EXPECT_EQ(again->FieldByName("TEXT").AsString(), text);
}

TEST(TextTranslation, ValueOneByteTooLongLosesTheWholeLastCharacter) {
    // "发票税" is six bytes in GBK; the field holds five.
    TableDir table("T.DBF", TextShape(5));
    auto dataSet = table.Open();
    WriteText(*dataSet, "发票税");
    EXPECT_EQ(StoredText(table, 5), Iconv("发票", "GBK") + " ");
    EXPECT_EQ(dataSet->FieldByName("TEXT").AsString(), "发票");
}

TEST(TextTranslation, MixedTextCutsAfterTheLastWholeCharacter) {
    TableDir table("T.DBF", TextShape(4));
    auto dataSet = table.Open();
    WriteText(*dataSet, "a发b票");
    EXPECT_EQ(dataSet->FieldByName("TEXT").AsString(), "a发b");
}

TEST(TextTranslation, CodePageCanBeChosenPerDataSet) {
    TableDir table("T.DBF", TextShape(10));
    auto dataSet = table.DataSet();
    dataSet->SetCodePage("CP437");
    dataSet->Open();
    WriteText(*dataSet, "Ça");
    EXPECT_EQ(StoredText(table, 10), Iconv("Ça", "CP437") + std::string(8, ' '));
    EXPECT_EQ(dataSet->FieldByName("TEXT").AsString(), "Ça");
}

TEST(TextTranslation, ProcessWideCodePageAppliesWithoutAPerDataSetOne) {
    std::string saved = platform::OemCodePage();
    platform::SetOemCodePage("CP437");
    TableDir table("T.DBF", TextShape(10));
    auto dataSet = table.Open();
    WriteText(*dataSet, "Ça");
    platform::SetOemCodePage(saved);
    EXPECT_EQ(StoredText(table, 10), Iconv("Ça", "CP437") + std::string(8, ' '));
}

TEST(TextTranslation, TranslationOffStoresTheBytesAsGiven) {
    TableDir table("T.DBF", TextShape(10));
    auto dataSet = table.DataSet();
    dataSet->SetTranslateASCII(false);
    dataSet->Open();
    WriteText(*dataSet, "发票");
    EXPECT_EQ(StoredText(table, 10), std::string("发票") + std::string(4, ' '));
    EXPECT_EQ(dataSet->FieldByName("TEXT").AsString(), "发票");
}

TEST(TextTranslation, TranslatorCutsOnlyWhenTranslating) {
    xbase::TextTranslation on(true, "GBK");
    EXPECT_EQ(on.ToOem("发票", 3), Iconv("发", "GBK"));
    xbase::TextTranslation off(false, "");
    EXPECT_EQ(off.ToOem("abcdef", 3), "abc");
    EXPECT_EQ(off.FromOem("\xb7\xa2"), "\xb7\xa2");
}

}  // namespace
