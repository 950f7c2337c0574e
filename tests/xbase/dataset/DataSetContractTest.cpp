// The dataset contract the jobs rely on: opening, visiting live records, counts, trimmed
// text, inserts at the end, deletes and where the dataset stands afterwards.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/DataError.h"
#include "xbase/dataset/DataSetTestSupport.h"

namespace {

using datasettest::NamesShape;
using datasettest::TableDir;
using datasettest::VisibleNames;
using Names = std::vector<std::string>;

TEST(DataSetOpen, MissingTableFailsAndCreatesNothing) {
    tabletest::TempDir dir;
    xbase::XBaseDataSet dataSet;
    dataSet.SetDatabaseName(dir.path());
    dataSet.SetTableName("NOPE.DBF");
    try {
        dataSet.Open();
        FAIL() << "opened a missing table";
    } catch (const data::DataError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot find file ", 0), 0u) << e.what();
    }
    EXPECT_FALSE(dataSet.Active());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(DataSetOpen, EmptyTableNameFails) {
    xbase::XBaseDataSet dataSet;
    EXPECT_THROW(
        {
            try {
                dataSet.Open();
            } catch (const data::DataError& e) {
                EXPECT_STREQ(e.what(), "Table name missing");
                throw;
            }
        },
        data::DataError);
}

TEST(DataSetOpen, NameWithoutExtensionGetsDbf) {
    TableDir table("PEOPLE.DBF", NamesShape({"ann"}));
    xbase::XBaseDataSet dataSet;
    dataSet.SetDatabaseName(table.Path());
    dataSet.SetTableName("people");
    dataSet.Open();
    EXPECT_EQ(dataSet.TableName(), "people.DBF");
    EXPECT_EQ(VisibleNames(dataSet), Names{"ann"});
}

TEST(DataSetOpen, PropertiesNeedAClosedDataSet) {
    TableDir table("T.DBF", NamesShape({"ann"}));
    auto dataSet = table.Open();
    EXPECT_THROW(dataSet->SetTableName("OTHER.DBF"), data::DataError);
    EXPECT_THROW(dataSet->SetEncryptionKey("k"), data::DataError);
    dataSet->Close();
    EXPECT_NO_THROW(dataSet->SetTableName("OTHER.DBF"));
}

TEST(DataSetNavigation, VisitsLiveRecordsInRecordOrderAndCountsAll) {
    TableDir table("T.DBF", NamesShape({"*gone", "ann", "*x", "*y", "bob", "cid", "*z"}));
    auto dataSet = table.Open();
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"ann", "bob", "cid"}));
    EXPECT_EQ(dataSet->RecordCount(), 7);

    std::vector<int> recNos;
    for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) recNos.push_back(dataSet->RecNo());
    EXPECT_EQ(recNos, (std::vector<int>{2, 5, 6}));

    dataSet->Last();
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "cid");
    dataSet->Prior();
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "bob");
}

TEST(DataSetNavigation, UseDeletedShowsDeletedRecords) {
    TableDir table("T.DBF", NamesShape({"*gone", "ann"}));
    auto dataSet = table.DataSet();
    dataSet->SetUseDeleted(true);
    dataSet->Open();
    dataSet->First();
    EXPECT_TRUE(dataSet->RecordDeleted());
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"gone", "ann"}));
}

TEST(DataSetNavigation, AllDeletedTableIsEmptyButCounted) {
    TableDir table("T.DBF", NamesShape({"*a", "*b"}));
    auto dataSet = table.Open();
    EXPECT_EQ(dataSet->RecordCount(), 2);
    dataSet->First();
    EXPECT_TRUE(dataSet->Eof());
    EXPECT_TRUE(dataSet->IsEmpty());
    EXPECT_EQ(dataSet->RecNo(), 0);
}

TEST(DataSetNavigation, ClosedDataSetRefusesCountAndRecNo) {
    TableDir table("T.DBF", NamesShape({"a"}));
    auto dataSet = table.DataSet();
    EXPECT_THROW(dataSet->RecordCount(), data::DataError);
    EXPECT_THROW(dataSet->RecNo(), data::DataError);
}

TEST(DataSetNavigation, ExactCountCountsVisibleRecords) {
    TableDir table("T.DBF", NamesShape({"a", "*b", "c"}));
    auto dataSet = table.Open();
    dataSet->SetExactCount(true);
    dataSet->Last();
    EXPECT_EQ(dataSet->RecordCount(), 2);
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "c");
}

TEST(DataSetNavigation, SetRecNoOnHiddenRecordWalksToNextLive) {
    TableDir table("T.DBF", NamesShape({"a", "*b", "c"}));
    auto dataSet = table.Open();
    dataSet->SetRecNo(2);
    EXPECT_EQ(dataSet->RecNo(), 3);
}

TEST(DataSetFieldText, TrimsTrailingBlanksAndBlankIsNull) {
    TableDir table("T.DBF", NamesShape({" lead  ", ""}));
    auto dataSet = table.Open();
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), " lead");
    dataSet->Next();
    EXPECT_TRUE(dataSet->FieldByName("NAME").IsNull());
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "");
}

TEST(DataSetEditing, PostWritesTheRecordInPlace) {
    TableDir table("T.DBF", NamesShape({"ann", "bob"}));
    auto dataSet = table.Open();
    dataSet->Next();
    dataSet->Edit();
    dataSet->FieldByName("NAME").SetAsString("robert");
    dataSet->FieldByName("QTY").SetAsString("7.25");
    dataSet->Post();
    EXPECT_EQ(dataSet->RecNo(), 2);

    auto bytes = table.Bytes();
    std::string second(bytes.begin() + tabletest::HeaderLengthOf(NamesShape({})) + 20,
                       bytes.begin() + tabletest::HeaderLengthOf(NamesShape({})) + 40);
    EXPECT_EQ(second, " robert        7.25T");
    auto again = table.Open();
    EXPECT_EQ(VisibleNames(*again), (Names{"ann", "robert"}));
}

TEST(DataSetEditing, CancelLeavesTheFileAlone) {
    TableDir table("T.DBF", NamesShape({"ann"}));
    auto before = table.Bytes();
    auto dataSet = table.Open();
    dataSet->Edit();
    dataSet->FieldByName("NAME").SetAsString("zed");
    dataSet->Cancel();
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "ann");
    dataSet->Close();
    EXPECT_EQ(table.Bytes(), before);
}

TEST(DataSetEditing, OldValueIsTheRecordBeforeTheEdit) {
    TableDir table("T.DBF", NamesShape({"ann"}));
    auto dataSet = table.Open();
    dataSet->Edit();
    dataSet->FieldByName("NAME").SetAsString("zed");
    EXPECT_EQ(std::get<std::string>(dataSet->FieldByName("NAME").OldValue()), "ann");
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "zed");
    dataSet->Cancel();
}

TEST(DataSetEditing, FieldsRefuseValuesOutsideEditOrInsert) {
    TableDir table("T.DBF", NamesShape({"ann"}));
    auto dataSet = table.Open();
    try {
        dataSet->FieldByName("NAME").SetAsString("x");
        FAIL();
    } catch (const data::DataError& e) {
        EXPECT_STREQ(e.what(), "Dataset not in edit or insert mode");
    }
}

TEST(DataSetInsert, InsertInTheMiddlePostsAtTheEnd) {
    TableDir table("T.DBF", NamesShape({"ann", "bob", "cid"}));
    auto dataSet = table.Open();
    dataSet->Next();
    dataSet->Insert();
    dataSet->FieldByName("NAME").SetAsString("new");
    dataSet->Post();
    EXPECT_EQ(dataSet->RecNo(), 4);
    EXPECT_EQ(dataSet->RecordCount(), 4);
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"ann", "bob", "cid", "new"}));
}

TEST(DataSetInsert, AppendWritesABlankRecordWithZeroNumbersAndTheEofMark) {
    TableDir table("T.DBF", NamesShape({"ann"}));
    auto dataSet = table.Open();
    dataSet->Append();
    dataSet->FieldByName("NAME").SetAsString("new");
    dataSet->Post();
    auto bytes = table.Bytes();
    int header = tabletest::HeaderLengthOf(NamesShape({}));
    ASSERT_EQ(bytes.size(), static_cast<std::size_t>(header + 2 * 20 + 1));
    EXPECT_EQ(std::string(bytes.begin() + header + 20, bytes.end()), " new           0.00 \x1a");
    EXPECT_EQ(bytes[4], 2);  // record count in the header
}

TEST(DataSetInsert, EditOnEmptyDataSetInserts) {
    TableDir table("T.DBF", NamesShape({"*x"}));
    auto dataSet = table.Open();
    dataSet->Edit();
    EXPECT_EQ(dataSet->State(), data::dsInsert);
    dataSet->FieldByName("NAME").SetAsString("first");
    dataSet->Post();
    EXPECT_EQ(VisibleNames(*dataSet), Names{"first"});
}

TEST(DataSetDelete, MovesToNextLiveRecordOrTheLastBeforeOrEmpties) {
    TableDir table("T.DBF", NamesShape({"a", "b", "*x", "c"}));
    auto dataSet = table.Open();
    dataSet->Next();  // b
    dataSet->Delete();
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "c");
    dataSet->Delete();
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "a");
    EXPECT_FALSE(dataSet->IsEmpty());
    dataSet->Delete();
    EXPECT_TRUE(dataSet->IsEmpty());
    EXPECT_TRUE(dataSet->Eof());
    EXPECT_EQ(dataSet->RecordCount(), 4);
}

TEST(DataSetDelete, DeletingFromFirstUntilEofFlagsEveryRecordAndKeepsTheFile) {
    TableDir table("T.DBF", NamesShape({"a", "b", "*c", "d", "e"}));
    auto before = table.Bytes();
    auto dataSet = table.Open();
    dataSet->First();
    int deletes = 0;
    while (!dataSet->Eof()) {
        dataSet->Delete();
        ++deletes;
        ASSERT_LE(deletes, 4);
    }
    EXPECT_EQ(deletes, 4);
    dataSet->Close();

    auto after = table.Bytes();
    ASSERT_EQ(after.size(), before.size());
    int header = tabletest::HeaderLengthOf(NamesShape({}));
    for (int r = 0; r < 5; ++r) {
        std::size_t at = static_cast<std::size_t>(header + r * 20);
        EXPECT_EQ(after[at], '*') << "record " << r + 1;
        EXPECT_TRUE(
            std::equal(after.begin() + at + 1, after.begin() + at + 20, before.begin() + at + 1));
    }
}

TEST(DataSetDelete, RecallClearsTheFlag) {
    TableDir table("T.DBF", NamesShape({"*a", "b"}));
    auto dataSet = table.DataSet();
    dataSet->SetUseDeleted(true);
    dataSet->Open();
    dataSet->Recall();
    EXPECT_FALSE(dataSet->RecordDeleted());
    dataSet->Close();
    EXPECT_EQ(table.Bytes()[tabletest::HeaderLengthOf(NamesShape({}))], ' ');
}

TEST(DataSetDelete, DeleteDuringEditDropsTheUnpostedChanges) {
    TableDir table("T.DBF", NamesShape({"a", "b"}));
    auto dataSet = table.Open();
    dataSet->Edit();
    dataSet->FieldByName("NAME").SetAsString("changed");
    dataSet->Delete();
    dataSet->Close();
    auto bytes = table.Bytes();
    int header = tabletest::HeaderLengthOf(NamesShape({}));
    EXPECT_EQ(std::string(bytes.begin() + header, bytes.begin() + header + 11), "*a         ");
}

TEST(DataSetReadOnly, ReadOnlyDataSetRefusesChanges) {
    TableDir table("T.DBF", NamesShape({"a"}));
    auto dataSet = table.DataSet();
    dataSet->SetReadOnly(true);
    dataSet->Open();
    EXPECT_TRUE(dataSet->ReadOnly());
    EXPECT_THROW(dataSet->Edit(), data::DataError);
    EXPECT_THROW(dataSet->Append(), data::DataError);
}

}  // namespace
