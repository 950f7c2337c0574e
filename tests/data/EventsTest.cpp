// Event order of the dataset operations and what data sources pass on.
#include <gtest/gtest.h>

#include "MemDataSet.h"
#include "data/DataError.h"
#include "data/DataSource.h"

using namespace data;

namespace {

using Strings = std::vector<std::string>;

class EventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ds_ = datatest::MakeNumbered(3);
        auto log = [this](const char* name) {
            return [this, name](DataSet&) { log_.push_back(name); };
        };
        ds_->BeforeOpen = log("BeforeOpen");
        ds_->AfterOpen = log("AfterOpen");
        ds_->BeforeClose = log("BeforeClose");
        ds_->AfterClose = log("AfterClose");
        ds_->BeforeInsert = log("BeforeInsert");
        ds_->AfterInsert = log("AfterInsert");
        ds_->BeforeEdit = log("BeforeEdit");
        ds_->AfterEdit = log("AfterEdit");
        ds_->BeforePost = log("BeforePost");
        ds_->AfterPost = log("AfterPost");
        ds_->BeforeCancel = log("BeforeCancel");
        ds_->AfterCancel = log("AfterCancel");
        ds_->BeforeDelete = log("BeforeDelete");
        ds_->AfterDelete = log("AfterDelete");
        ds_->BeforeScroll = log("BeforeScroll");
        ds_->AfterScroll = log("AfterScroll");
        ds_->OnNewRecord = log("OnNewRecord");
    }
    Strings Take() { return std::exchange(log_, {}); }

    Strings log_;  // outlives the dataset, whose close at destruction still logs
    std::unique_ptr<datatest::MemDataSet> ds_;
};

TEST_F(EventsTest, OpenAndClose) {
    ds_->Open();
    EXPECT_EQ(Take(), (Strings{"BeforeOpen", "AfterOpen", "AfterScroll"}));
    ds_->Close();
    EXPECT_EQ(Take(), (Strings{"BeforeClose", "AfterClose"}));
}

TEST_F(EventsTest, EditThenMoveWithAChangePosts) {
    ds_->Open();
    Take();
    ds_->Edit();
    ds_->FieldByName("NAME").SetAsString("x");
    ds_->Next();
    EXPECT_EQ(Take(), (Strings{"BeforeEdit", "AfterEdit", "BeforePost", "AfterPost", "BeforeScroll",
                               "AfterScroll"}));
}

TEST_F(EventsTest, InsertCancelAndDelete) {
    ds_->Open();
    Take();
    ds_->Insert();
    EXPECT_EQ(Take(), (Strings{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert",
                               "AfterScroll"}));
    ds_->Cancel();
    EXPECT_EQ(Take(), (Strings{"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll"}));
    ds_->Delete();
    EXPECT_EQ(Take(), (Strings{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
}

TEST_F(EventsTest, FailingBeforePostKeepsTheEdit) {
    ds_->Open();
    ds_->BeforePost = [](DataSet&) { throw DataError("refused"); };
    ds_->Edit();
    ds_->FieldByName("NAME").SetAsString("x");
    EXPECT_THROW(ds_->Post(), DataError);
    EXPECT_EQ(ds_->State(), dsEdit);
    ds_->Cancel();
    EXPECT_EQ(ds_->FieldByName("NAME").AsString(), "n1");
}

TEST_F(EventsTest, OnNewRecordMayFillDefaults) {
    ds_->OnNewRecord = [](DataSet& ds) { ds.FieldByName("PRICE").SetAsFloat(9.5); };
    ds_->Open();
    ds_->Append();
    EXPECT_EQ(ds_->FieldByName("PRICE").AsString(), "9.5");
    EXPECT_FALSE(ds_->Modified());  // defaults alone do not make the record modified
}

TEST_F(EventsTest, DataSourcePassesStateAndDataChanges) {
    DataSource source(ds_.get());
    std::vector<DataSetState> states;
    int changes = 0;
    Field* changed = nullptr;
    source.OnStateChange = [&](DataSource& s) { states.push_back(s.State()); };
    source.OnDataChange = [&](DataSource&, Field* f) {
        ++changes;
        if (f) changed = f;
    };
    ds_->Open();
    ds_->Next();
    source.Edit();
    ds_->FieldByName("NAME").SetAsString("y");
    EXPECT_EQ(changed, &ds_->FieldByName("NAME"));
    ds_->Post();
    ds_->Close();
    EXPECT_EQ(states, (std::vector<DataSetState>{dsBrowse, dsEdit, dsBrowse, dsInactive}));
    EXPECT_GT(changes, 3);

    source.SetEnabled(false);
    states.clear();
    ds_->Open();
    EXPECT_TRUE(states.empty());
    EXPECT_EQ(source.State(), dsInactive);
}

TEST_F(EventsTest, DisabledControlsHearOneChangeAtTheEnd) {
    DataSource source(ds_.get());
    int changes = 0;
    source.OnDataChange = [&](DataSource&, Field*) { ++changes; };
    ds_->Open();
    changes = 0;
    ds_->DisableControls();
    ds_->DisableControls();
    ds_->Next();
    ds_->Next();
    ds_->EnableControls();
    EXPECT_EQ(changes, 0);
    ds_->EnableControls();
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(ds_->ControlsDisabled());
}

TEST_F(EventsTest, DataSourceOutlivedByItsDatasetOrTheOtherWayRound) {
    auto source = std::make_unique<DataSource>(ds_.get());
    ds_.reset();
    EXPECT_EQ(source->GetDataSet(), nullptr);
    EXPECT_EQ(source->State(), dsInactive);
    auto other = datatest::MakeNumbered(1);
    source->SetDataSet(other.get());
    source.reset();
    other->Open();  // no dangling source is notified
    EXPECT_TRUE(other->Active());
}

}  // namespace
