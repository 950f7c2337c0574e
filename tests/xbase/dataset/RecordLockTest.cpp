// Record locks between processes: Edit holds the record's lock until Post or Cancel, and
// another program's Edit of that record is refused while the dataset stays in browse.
#include <gtest/gtest.h>

#include "data/DataError.h"
#include "platform/ChildProcess.h"
#include "xbase/dataset/DataSetTestSupport.h"

namespace {

using datasettest::NamesShape;
using datasettest::TableDir;

// In a child process: opens the table, goes to record `recNo` and tries to edit it;
// 0 when the edit succeeded, 1 when it was refused with the locked-record message and
// the dataset stayed in browse state, 2 for anything else.
int TryEditInChild(const TableDir& table, int recNo) {
    return platform_test::runInChild([&] {
        try {
            auto dataSet = table.Open();
            dataSet->SetRecNo(recNo);
            try {
                dataSet->Edit();
            } catch (const data::DataError& e) {
                bool expected = std::string(e.what()) == "Record is locked by another user" &&
                                dataSet->State() == data::dsBrowse;
                return expected ? 1 : 2;
            }
            dataSet->Cancel();
            return 0;
        } catch (...) {
            return 2;
        }
    });
}

TEST(RecordLock, EditHoldsTheLockUntilPost) {
    TableDir table("T.DBF", NamesShape({"a", "b"}));
    auto dataSet = table.Open();
    dataSet->Edit();
    EXPECT_EQ(TryEditInChild(table, 1), 1);
    EXPECT_EQ(TryEditInChild(table, 2), 0);  // only that record is held
    dataSet->FieldByName("NAME").SetAsString("z");
    dataSet->Post();
    EXPECT_EQ(TryEditInChild(table, 1), 0);
}

TEST(RecordLock, CancelReleasesTheLock) {
    TableDir table("T.DBF", NamesShape({"a"}));
    auto dataSet = table.Open();
    dataSet->Edit();
    dataSet->Cancel();
    EXPECT_EQ(TryEditInChild(table, 1), 0);
}

TEST(RecordLock, EditOfARecordAnotherProcessEditsIsRefusedAndStaysInBrowse) {
    TableDir table("T.DBF", NamesShape({"a", "b"}));
    platform_test::HoldingChild holder([&] {
        static std::unique_ptr<xbase::XBaseDataSet> held;
        held = table.Open();
        held->Edit();
        return held->State() == data::dsEdit ? 0 : 1;
    });
    ASSERT_EQ(holder.ready(), 0);

    auto dataSet = table.Open();
    try {
        dataSet->Edit();
        FAIL() << "edited a record another process holds";
    } catch (const data::DataError& e) {
        EXPECT_STREQ(e.what(), "Record is locked by another user");
    }
    EXPECT_EQ(dataSet->State(), data::dsBrowse);
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "a");
    // Other records stay open to changes.
    dataSet->Next();
    dataSet->Edit();
    dataSet->FieldByName("NAME").SetAsString("b2");
    dataSet->Post();

    EXPECT_EQ(holder.release(), 0);
    dataSet->First();
    EXPECT_NO_THROW(dataSet->Edit());
    dataSet->Cancel();
}

TEST(RecordLock, EditStartsFromTheRecordAsAnotherProcessLeftIt) {
    TableDir table("T.DBF", NamesShape({"a"}));
    auto dataSet = table.Open();
    EXPECT_EQ(platform_test::runInChild([&] {
                  auto other = table.Open();
                  other->Edit();
                  other->FieldByName("NAME").SetAsString("theirs");
                  other->Post();
                  return 0;
              }),
              0);
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "a");
    dataSet->Edit();
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "theirs");
    dataSet->Cancel();
}

TEST(RecordLock, AppendsOfTwoProcessesBothLand) {
    TableDir table("T.DBF", NamesShape({"a"}));
    auto dataSet = table.Open();
    EXPECT_EQ(platform_test::runInChild([&] {
                  auto other = table.Open();
                  other->Append();
                  other->FieldByName("NAME").SetAsString("child");
                  other->Post();
                  return other->RecNo() == 2 ? 0 : 1;
              }),
              0);
    dataSet->Append();
    dataSet->FieldByName("NAME").SetAsString("parent");
    dataSet->Post();
    EXPECT_EQ(dataSet->RecNo(), 3);
    EXPECT_EQ(datasettest::VisibleNames(*dataSet),
              (std::vector<std::string>{"a", "child", "parent"}));
}

}  // namespace
