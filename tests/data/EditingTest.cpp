// Editing a dataset: edit/post/cancel, insert and append, delete, and what happens when
// the cursor moves while a record is being edited.
#include <gtest/gtest.h>

#include "WindowedFixture.h"
#include "data/DataError.h"
#include "data/DataLink.h"
#include "data/DataSource.h"

using namespace data;
using datatest::Names;

namespace {

using Strings = std::vector<std::string>;

class EditingTest : public datatest::WindowedFixture {
protected:
    std::string Name() { return ds_->FieldByName("NAME").AsString(); }
    void SetName(const std::string& name) { ds_->FieldByName("NAME").SetAsString(name); }
    Strings Stored() {
        Strings names;
        for (const auto& row : ds_->Rows()) {
            names.push_back(row.values[1].index() == 0 ? "" : std::get<std::string>(row.values[1]));
        }
        return names;
    }
};

TEST_P(EditingTest, EditPostStoresAndCancelRestores) {
    Make(3);
    ds_->Next();
    ds_->Edit();
    EXPECT_EQ(ds_->State(), dsEdit);
    SetName("changed");
    ds_->Post();
    EXPECT_EQ(ds_->State(), dsBrowse);
    EXPECT_EQ(Name(), "changed");
    EXPECT_EQ(Stored(), (Strings{"n1", "changed", "n3"}));

    ds_->Edit();
    SetName("dropped");
    EXPECT_EQ(Name(), "dropped");
    ds_->Cancel();
    EXPECT_EQ(Name(), "changed");
    EXPECT_EQ(Stored(), (Strings{"n1", "changed", "n3"}));
}

TEST_P(EditingTest, MovingWhileEditingPostsChangesOrCancelsAnUnchangedEdit) {
    Make(3);
    ds_->Edit();
    SetName("first");
    ds_->Next();  // posts
    EXPECT_EQ(ds_->State(), dsBrowse);
    EXPECT_EQ(Name(), "n2");
    EXPECT_EQ(Stored(), (Strings{"first", "n2", "n3"}));

    int cancels = ds_->cancels;
    ds_->Edit();
    ds_->Next();  // nothing changed: cancels (and releases what the edit took)
    EXPECT_EQ(ds_->cancels, cancels + 1);
    EXPECT_EQ(Name(), "n3");
    EXPECT_EQ(Stored(), (Strings{"first", "n2", "n3"}));
}

TEST_P(EditingTest, RefusedEditLeavesTheDatasetBrowsing) {
    Make(2);
    ds_->lockedIds.insert(1);
    try {
        ds_->Edit();
        FAIL();
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Record is locked by another user");
    }
    EXPECT_EQ(ds_->State(), dsBrowse);
    EXPECT_THROW(SetName("x"), DataError);
    ds_->Next();
    ds_->Edit();
    EXPECT_EQ(ds_->State(), dsEdit);
}

TEST_P(EditingTest, InsertPutsTheNewRecordBeforeTheCurrentOne) {
    Make(3);
    ds_->Next();
    ds_->Insert();
    EXPECT_EQ(ds_->State(), dsInsert);
    EXPECT_EQ(Name(), "");
    SetName("new");
    ds_->Post();
    EXPECT_EQ(Name(), "new");
    EXPECT_EQ(Stored(), (Strings{"n1", "new", "n2", "n3"}));
    ds_->Next();
    EXPECT_EQ(Name(), "n2");
    EXPECT_EQ(Names(*ds_), (Strings{"n1", "new", "n2", "n3"}));
}

TEST_P(EditingTest, AppendAddsAtTheEnd) {
    Make(3);
    ds_->Append();
    EXPECT_TRUE(ds_->Eof());
    SetName("tail");
    ds_->Post();
    EXPECT_EQ(Name(), "tail");
    EXPECT_EQ(Stored(), (Strings{"n1", "n2", "n3", "tail"}));
    ds_->Prior();
    EXPECT_EQ(Name(), "n3");
}

TEST_P(EditingTest, CancelledInsertReturnsToTheRecordBefore) {
    Make(3);
    ds_->Next();
    ds_->Insert();
    SetName("gone");
    ds_->Cancel();
    EXPECT_EQ(Name(), "n2");
    ds_->Append();
    ds_->Cancel();
    EXPECT_EQ(Name(), "n3");
    EXPECT_EQ(Stored(), (Strings{"n1", "n2", "n3"}));
}

TEST_P(EditingTest, InsertingWhileInsertingPostsTheFirstRecord) {
    Make(1);
    ds_->Append();
    SetName("a");
    ds_->Append();
    SetName("b");
    ds_->Post();
    EXPECT_EQ(Stored(), (Strings{"n1", "a", "b"}));
}

TEST_P(EditingTest, EditOnAnEmptyDatasetInserts) {
    Make(0);
    ds_->Edit();
    EXPECT_EQ(ds_->State(), dsInsert);
    SetName("only");
    ds_->Post();
    EXPECT_FALSE(ds_->IsEmpty());
    EXPECT_EQ(Stored(), (Strings{"only"}));
    EXPECT_EQ(Name(), "only");
}

TEST_P(EditingTest, DeleteShowsTheNextThenThePreviousThenNothing) {
    Make(4);
    ds_->MoveBy(1);
    ds_->Delete();
    EXPECT_EQ(Name(), "n3");
    ds_->Last();
    ds_->Delete();
    EXPECT_EQ(Name(), "n3");  // no record follows: the one before it
    EXPECT_EQ(Stored(), (Strings{"n1", "n3"}));
    ds_->Delete();
    ds_->Delete();
    EXPECT_TRUE(ds_->IsEmpty());
    EXPECT_TRUE(ds_->Eof());
    try {
        ds_->Delete();
        FAIL();
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Cannot perform this operation on an empty dataset");
    }
}

TEST_P(EditingTest, DeletingFromTheFirstUntilEofEmptiesTheDataset) {
    Make(5);
    ds_->First();
    int deletes = 0;
    while (!ds_->Eof()) {
        ds_->Delete();
        ++deletes;
    }
    EXPECT_EQ(deletes, 5);
    EXPECT_TRUE(ds_->IsEmpty());
    EXPECT_TRUE(ds_->Rows().empty());
}

TEST_P(EditingTest, DeleteDuringInsertCancelsAndDuringEditEndsTheEdit) {
    Make(2);
    ds_->Insert();
    ds_->Delete();
    EXPECT_EQ(ds_->State(), dsBrowse);
    EXPECT_EQ(Stored(), (Strings{"n1", "n2"}));
    int cancels = ds_->cancels;
    ds_->Edit();
    SetName("x");
    ds_->Delete();
    EXPECT_EQ(ds_->cancels, cancels + 1);
    EXPECT_EQ(ds_->State(), dsBrowse);
    EXPECT_EQ(Stored(), (Strings{"n2"}));
}

TEST_P(EditingTest, InsertRecordAndAppendRecordPostAtOnce) {
    Make(2);
    ds_->Last();
    ds_->InsertRecord({std::int32_t{9}, std::string("mid"), 1.0});
    EXPECT_EQ(ds_->State(), dsBrowse);
    EXPECT_EQ(Name(), "mid");
    ds_->AppendRecord({std::int32_t{10}, std::string("end")});
    EXPECT_EQ(Name(), "end");
    EXPECT_EQ(Stored(), (Strings{"n1", "mid", "n2", "end"}));
    EXPECT_THROW(ds_->AppendRecord({std::string("x")}), DataError);  // ID is an integer
    EXPECT_EQ(Stored().size(), 4u);
}

TEST_P(EditingTest, PostAndRequiredFields) {
    Make(1);
    EXPECT_THROW(ds_->Post(), DataError);  // not editing
    ds_->FieldByName("PRICE").SetRequired(true);
    ds_->Append();
    SetName("p");
    try {
        ds_->Post();
        FAIL();
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Field 'PRICE' must have a value");
    }
    EXPECT_EQ(ds_->State(), dsInsert);
    ds_->FieldByName("PRICE").SetAsFloat(2);
    ds_->Post();
    EXPECT_EQ(Stored(), (Strings{"n1", "p"}));
}

TEST_P(EditingTest, ReadOnlyDatasetRefusesChanges) {
    Make(1);
    ds_->SetReadOnly(true);
    for (auto call : {&DataSet::Edit, &DataSet::Insert, &DataSet::Append}) {
        try {
            (ds_.get()->*call)();
            FAIL();
        } catch (const DataError& e) {
            EXPECT_STREQ(e.what(), "Cannot modify a read-only dataset");
        }
        EXPECT_EQ(ds_->State(), dsBrowse);
    }
}

TEST_P(EditingTest, CloseWhileEditingDropsTheEdit) {
    Make(2);
    ds_->Edit();
    SetName("lost");
    ds_->Close();
    EXPECT_EQ(Stored(), (Strings{"n1", "n2"}));
    ds_->Open();
    EXPECT_EQ(Name(), "n1");
}

TEST_P(EditingTest, RefreshShowsChangesMadeBehindTheDataset) {
    Make(3);
    ds_->Next();
    ds_->AddRow({std::int32_t{4}, std::string("n4")});
    ds_->Refresh();
    EXPECT_EQ(Name(), "n2");
    EXPECT_EQ(Names(*ds_), (Strings{"n1", "n2", "n3", "n4"}));
}

INSTANTIATE_TEST_SUITE_P(Windows, EditingTest, ::testing::Values(1, 3),
                         [](const auto& info) { return "Rows" + std::to_string(info.param); });

}  // namespace
