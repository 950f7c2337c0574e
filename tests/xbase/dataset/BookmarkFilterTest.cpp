// Bookmarks (the record number as ten right-aligned characters and a NUL) and records
// hidden by OnFilterRecord.
#include <gtest/gtest.h>

#include "data/DataError.h"
#include "xbase/dataset/DataSetTestSupport.h"
#include "xbase/dataset/XBaseRecordBuffer.h"

namespace {

using datasettest::NamesShape;
using datasettest::TableDir;
using datasettest::VisibleNames;
using Names = std::vector<std::string>;

TEST(Bookmarks, TextIsTheRightAlignedRecordNumberAndANul) {
    EXPECT_EQ(xbase::XBaseRecordBuffer::BookmarkFor(42), std::string("        42\0", 11));
    EXPECT_EQ(xbase::XBaseRecordBuffer::RecNoOf(std::string("        42\0", 11)), 42);
    EXPECT_EQ(xbase::XBaseRecordBuffer::RecNoOf("  4x"), std::nullopt);
    EXPECT_EQ(xbase::XBaseRecordBuffer::RecNoOf(""), std::nullopt);
}

TEST(Bookmarks, GotoBookmarkReturnsToTheRecord) {
    TableDir table("T.DBF", NamesShape({"a", "*b", "c", "d"}));
    auto dataSet = table.Open();
    dataSet->Next();
    data::Bookmark mark = dataSet->GetBookmark();
    EXPECT_EQ(mark, xbase::XBaseRecordBuffer::BookmarkFor(3));
    dataSet->Last();
    dataSet->GotoBookmark(mark);
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "c");
    EXPECT_TRUE(dataSet->BookmarkValid(mark));
    EXPECT_LT(dataSet->CompareBookmarks(xbase::XBaseRecordBuffer::BookmarkFor(3),
                                        xbase::XBaseRecordBuffer::BookmarkFor(10)),
              0);
}

TEST(Bookmarks, BookmarkBeyondTheTableIsInvalid) {
    TableDir table("T.DBF", NamesShape({"a"}));
    auto dataSet = table.Open();
    data::Bookmark beyond = xbase::XBaseRecordBuffer::BookmarkFor(9);
    EXPECT_FALSE(dataSet->BookmarkValid(beyond));
    try {
        dataSet->GotoBookmark(beyond);
        FAIL();
    } catch (const data::DataError& e) {
        EXPECT_STREQ(e.what(), "Bookmark is invalid for table T.DBF");
    }
}

TEST(Filtering, OnFilterRecordHidesRecordsWhileFiltered) {
    TableDir table("T.DBF", NamesShape({"ann", "bob", "amy", "*al"}));
    auto dataSet = table.Open();
    dataSet->OnFilterRecord = [](data::DataSet& ds, bool& accept) {
        accept = ds.FieldByName("NAME").AsString()[0] == 'a';
    };
    dataSet->SetFiltered(true);
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"ann", "amy"}));
    dataSet->SetFiltered(false);
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"ann", "bob", "amy"}));
}

TEST(Status, DBFObjectPassesProgressToOnStatus) {
    TableDir table("T.DBF", NamesShape({"a"}));
    auto dataSet = table.Open();
    std::vector<int> seen;
    dataSet->OnStatus = [&](int a, int b, int c) { seen = {a, b, c}; };
    dataSet->Handler()->StatusReport(1, 2, 3);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
}

}  // namespace
