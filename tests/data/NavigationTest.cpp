// Moving through a dataset: first/last/next/prior, Eof and Bof, record numbers, with
// buffer windows of several sizes (as grids ask for them).
#include <gtest/gtest.h>

#include "WindowedFixture.h"
#include "data/DataError.h"
#include "data/DataLink.h"
#include "data/DataSource.h"

using namespace data;

namespace {

class Window : public DataLink {};

class NavigationTest : public datatest::WindowedFixture {
protected:
    int Id() { return ds_->FieldByName("ID").AsInteger(); }
};

TEST_P(NavigationTest, OpenStandsOnTheFirstRecord) {
    Make(5);
    EXPECT_EQ(Id(), 1);
    EXPECT_TRUE(ds_->Bof());
    EXPECT_FALSE(ds_->Eof());
    EXPECT_FALSE(ds_->IsEmpty());
    EXPECT_EQ(ds_->RecordCount(), 5);
    EXPECT_EQ(ds_->RecNo(), 1);
    EXPECT_EQ(window_.RecordCount(), std::min(GetParam(), 5));
}

TEST_P(NavigationTest, NextWalksAllRecordsAndStopsAtTheLast) {
    Make(7);
    std::vector<int> ids;
    while (!ds_->Eof()) {
        ids.push_back(Id());
        ds_->Next();
    }
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(Id(), 7);  // Next at the last record sets Eof without moving
    EXPECT_EQ(ds_->RecNo(), 7);
    ds_->Next();
    EXPECT_EQ(Id(), 7);
    EXPECT_TRUE(ds_->Eof());
}

TEST_P(NavigationTest, PriorWalksBackAndStopsAtTheFirst) {
    Make(6);
    ds_->Last();
    EXPECT_TRUE(ds_->Eof());
    EXPECT_EQ(Id(), 6);
    std::vector<int> ids;
    while (!ds_->Bof()) {
        ids.push_back(Id());
        ds_->Prior();
    }
    EXPECT_EQ(ids, (std::vector<int>{6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(Id(), 1);
}

TEST_P(NavigationTest, MoveByReportsTheDistanceMoved) {
    Make(6);
    EXPECT_EQ(ds_->MoveBy(3), 3);
    EXPECT_EQ(Id(), 4);
    EXPECT_EQ(ds_->MoveBy(10), 2);
    EXPECT_EQ(Id(), 6);
    EXPECT_TRUE(ds_->Eof());
    EXPECT_EQ(ds_->MoveBy(-4), -4);
    EXPECT_EQ(Id(), 2);
    EXPECT_FALSE(ds_->Eof());
    EXPECT_EQ(ds_->MoveBy(-5), -1);
    EXPECT_TRUE(ds_->Bof());
    ds_->Next();
    ds_->Prior();
    ds_->Next();
    EXPECT_EQ(Id(), 2);
}

TEST_P(NavigationTest, RecNoMovesAndReports) {
    Make(6);
    ds_->SetRecNo(5);
    EXPECT_EQ(Id(), 5);
    EXPECT_EQ(ds_->RecNo(), 5);
    ds_->Next();
    EXPECT_EQ(Id(), 6);
    ds_->SetRecNo(2);
    ds_->Prior();
    EXPECT_EQ(Id(), 1);
}

TEST_P(NavigationTest, EmptyDatasetIsAtBothEnds) {
    Make(0);
    EXPECT_TRUE(ds_->IsEmpty());
    EXPECT_TRUE(ds_->Eof());
    EXPECT_TRUE(ds_->Bof());
    EXPECT_EQ(ds_->RecordCount(), 0);
    ds_->Next();
    ds_->Last();
    EXPECT_TRUE(ds_->IsEmpty());
    EXPECT_EQ(ds_->FieldByName("NAME").AsString(), "");
    EXPECT_TRUE(ds_->FieldByName("ID").IsNull());
}

TEST_P(NavigationTest, GridWindowShowsConsecutiveRows) {
    Make(9);
    ds_->MoveBy(4);
    int count = window_.RecordCount();
    int saved = window_.ActiveRecord();
    std::vector<int> ids;
    for (int row = 0; row < count; ++row) {
        window_.SetActiveRecord(row);
        ids.push_back(Id());
    }
    window_.SetActiveRecord(saved);
    EXPECT_EQ(Id(), 5);
    ASSERT_EQ(static_cast<int>(ids.size()), std::min(GetParam(), 9));
    for (std::size_t i = 1; i < ids.size(); ++i) EXPECT_EQ(ids[i], ids[i - 1] + 1);
    EXPECT_EQ(ids[static_cast<std::size_t>(saved)], 5);
}

TEST_P(NavigationTest, ClosedDatasetRefusesCountAndMoves) {
    Make(3);
    ds_->Close();
    EXPECT_FALSE(ds_->Active());
    try {
        ds_->RecordCount();
        FAIL();
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Cannot perform this operation on a closed dataset");
    }
    EXPECT_THROW(ds_->Next(), DataError);
    EXPECT_THROW(ds_->RecNo(), DataError);
    ds_->Open();
    EXPECT_EQ(Id(), 1);
}

INSTANTIATE_TEST_SUITE_P(Windows, NavigationTest, ::testing::Values(1, 2, 4),
                         [](const auto& info) { return "Rows" + std::to_string(info.param); });

TEST(NavigationWindow, GrowingTheWindowWhileOpenKeepsTheRecord) {
    auto ds = datatest::MakeNumbered(10);
    DataSource source(ds.get());
    ds->Open();
    ds->MoveBy(6);
    Window window;
    window.SetBufferCount(5);
    window.SetDataSource(&source);
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 7);
    EXPECT_EQ(window.RecordCount(), 5);
    window.SetBufferCount(1);
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 7);
    ds->Next();
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 8);
    window.SetDataSource(nullptr);
}

}  // namespace
