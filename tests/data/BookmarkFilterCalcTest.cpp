// Bookmarks, record filtering through OnFilterRecord, calculated fields, iteration.
#include <gtest/gtest.h>

#include "MemDataSet.h"
#include "data/DataError.h"
#include "data/FieldFactory.h"

using namespace data;
using datatest::Names;

namespace {

using Strings = std::vector<std::string>;

TEST(Bookmarks, ReturnToTheMarkedRecordAfterMovingAndChanges) {
    auto ds = datatest::MakeNumbered(6);
    ds->Open();
    ds->MoveBy(3);
    Bookmark mark = ds->GetBookmark();
    ASSERT_FALSE(mark.empty());
    ds->First();
    ds->Delete();
    ds->Last();
    ds->GotoBookmark(mark);
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), "n4");
    EXPECT_TRUE(ds->BookmarkValid(mark));
    ds->Delete();
    EXPECT_FALSE(ds->BookmarkValid(mark));
    EXPECT_THROW(ds->GotoBookmark(mark), DataError);
    ds->GotoBookmark({});  // an empty bookmark goes nowhere
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), "n5");
    for (const char* foreign : {"x1", "99999999999999999999", "3 "}) {  // no row's bookmark
        EXPECT_FALSE(ds->BookmarkValid(foreign)) << foreign;
        EXPECT_THROW(ds->GotoBookmark(foreign), DataError) << foreign;
    }
}

TEST(Bookmarks, NewRecordsAndEmptyDatasetsHaveNone) {
    auto ds = datatest::MakeNumbered(2);
    ds->Open();
    ds->Append();
    EXPECT_TRUE(ds->GetBookmark().empty());
    ds->Cancel();
    auto empty = datatest::MakeNumbered(0);
    empty->Open();
    EXPECT_TRUE(empty->GetBookmark().empty());
}

TEST(Bookmarks, ComparisonOrdersMissingBeforePresent) {
    auto ds = datatest::MakeNumbered(3);
    ds->Open();
    Bookmark first = ds->GetBookmark();
    ds->Next();
    Bookmark second = ds->GetBookmark();
    EXPECT_LT(ds->CompareBookmarks(first, second), 0);
    EXPECT_GT(ds->CompareBookmarks(second, first), 0);
    EXPECT_EQ(ds->CompareBookmarks(first, first), 0);
    EXPECT_EQ(ds->CompareBookmarks({}, {}), 0);
    EXPECT_LT(ds->CompareBookmarks({}, first), 0);
}

TEST(Filtering, OnFilterRecordHidesRecordsWhileFiltered) {
    auto ds = datatest::MakeNumbered(6);
    ds->OnFilterRecord = [](DataSet& d, bool& accept) {
        EXPECT_EQ(d.State(), dsFilter);
        accept = d.FieldByName("ID").AsInteger() % 2 == 0;
    };
    ds->Open();
    EXPECT_EQ(Names(*ds), (Strings{"n1", "n2", "n3", "n4", "n5", "n6"}));
    ds->SetFiltered(true);
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), "n2");  // goes to the first accepted
    EXPECT_EQ(Names(*ds), (Strings{"n2", "n4", "n6"}));
    ds->Last();
    ds->Prior();
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), "n4");
    ds->SetFiltered(false);
    EXPECT_EQ(Names(*ds).size(), 6u);
}

TEST(CalculatedFields, AreComputedPerRowAndAfterChanges) {
    auto ds = datatest::MakeNumbered(3);
    auto calc = NewField(ftString, "LABEL", 20);
    calc->SetFieldKind(fkCalculated);
    for (auto name : {"ID", "NAME"})
        ds->AddField(NewField(name[0] == 'I' ? ftInteger : ftString, name, 10));
    ds->AddField(std::move(calc));
    int runs = 0;
    ds->OnCalcFields = [&](DataSet& d) {
        ++runs;
        EXPECT_EQ(d.State(), dsCalcFields);
        d.FieldByName("LABEL").SetAsString(d.FieldByName("NAME").AsString() + "#" +
                                           d.FieldByName("ID").AsString());
    };
    ds->Open();
    EXPECT_EQ(ds->FieldByName("LABEL").AsString(), "n1#1");
    ds->Next();
    EXPECT_EQ(ds->FieldByName("label").AsString(), "n2#2");
    ds->Edit();
    ds->FieldByName("NAME").SetAsString("z");
    EXPECT_EQ(ds->FieldByName("LABEL").AsString(), "z#2");
    ds->Post();
    EXPECT_EQ(ds->FieldByName("LABEL").AsString(), "z#2");
    EXPECT_EQ(ds->FieldByName("LABEL").FieldNo(), 0);
    EXPECT_GT(runs, 3);
    EXPECT_THROW(ds->FieldByName("LABEL").SetAsString("no"), DataError);  // browsing
}

TEST(Iteration, ForEachRecordVisitsAllAndReturns) {
    auto ds = datatest::MakeNumbered(5);
    ds->Open();
    ds->MoveBy(2);
    Strings seen;
    ds->ForEachRecord([&] { seen.push_back(ds->FieldByName("NAME").AsString()); });
    EXPECT_EQ(seen, (Strings{"n1", "n2", "n3", "n4", "n5"}));
    EXPECT_EQ(ds->FieldByName("NAME").AsString(), "n3");
    EXPECT_EQ(ds->GetFieldValues().size(), 3u);
}

}  // namespace
