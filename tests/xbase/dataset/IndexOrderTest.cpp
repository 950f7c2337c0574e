// The dataset's engine filter, index order, key ranges, master/detail links, Locate and
// Lookup, each through the messages callers see.
#include <gtest/gtest.h>

#include <stdexcept>

#include "data/DataError.h"
#include "data/DataSource.h"
#include "xbase/cursor/DbfHandler.h"
#include "xbase/dataset/DataSetTestSupport.h"

namespace {

using datasettest::NamesShape;
using datasettest::TableDir;
using datasettest::VisibleNames;
using Names = std::vector<std::string>;

// Records: 1 bob 1.50, 2 ann 2.50, 3 cy 3.50 (deleted), 4 dan 4.50, 5 amy 5.50, 6 Al 6.50.
const Names kNames = {"bob", "ann", "*cy", "dan", "amy", "Al"};

// Builds an NDX index beside the table (exclusively, before any dataset opens it).
void MakeIndex(const TableDir& table, const std::string& file, const std::string& key) {
    xbase::DbfHandler handler(table.TablePath(), false, true);
    handler.CreateIndex(table.Path() + "/" + file, "", key, "", false, false);
}

// A dataset on the table with `files` listed and `tag` selected, opened.
std::unique_ptr<xbase::XBaseDataSet> OpenIndexed(const TableDir& table,
                                                 const std::vector<std::string>& files,
                                                 const std::string& tag) {
    auto dataSet = table.DataSet();
    dataSet->SetIndexFiles(files);
    dataSet->SetIndexName(tag);
    dataSet->Open();
    return dataSet;
}

// The message of whatever the call raises; empty when it raises nothing.
template <typename Call>
std::string MessageOf(Call call) {
    try {
        call();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

struct FilterCase {
    const char* expression;
    unsigned options;
    Names visible;
};

TEST(EngineFilter, ShowsTheRecordsTheExpressionAccepts) {
    const FilterCase cases[] = {
        // Partial compare: a text ending in '*' is a pattern.
        {"NAME = 'a*'", 0, {"ann", "amy"}},
        {"NAME = 'a*'", xbase::foNoPartialCompare, {}},
        {"NAME = 'a'", 0, {}},
        {"NAME = 'ann'", xbase::foNoPartialCompare, {"ann"}},
        {"NAME = 'A*'", 0, {"Al"}},
        {"NAME = 'A*'", xbase::foCaseInsensitive, {"ann", "amy", "Al"}},
        {"NAME = 'AMY'", xbase::foCaseInsensitive, {"amy"}},
        {"QTY > 4", 0, {"dan", "amy", "Al"}},
        {"(QTY > 4) .AND. (NAME <> 'amy')", 0, {"dan", "Al"}},
        {".NOT. FLAG", 0, {}},
    };
    TableDir table("T.DBF", NamesShape(kNames));
    for (const FilterCase& c : cases) {
        auto dataSet = table.DataSet();
        dataSet->SetFilter(c.expression);
        dataSet->SetFilterOptions(c.options);
        dataSet->SetFiltered(true);
        dataSet->Open();
        EXPECT_EQ(VisibleNames(*dataSet), c.visible) << c.expression << " options " << c.options;
        EXPECT_FALSE(dataSet->IsSequenced());
        dataSet->SetFiltered(false);
        EXPECT_EQ(VisibleNames(*dataSet), (Names{"bob", "ann", "dan", "amy", "Al"}))
            << c.expression;
        EXPECT_TRUE(dataSet->IsSequenced());
    }
}

TEST(EngineFilter, ChangingFilterOrOptionsWhileOpenRebuildsTheSet) {
    TableDir table("T.DBF", NamesShape(kNames));
    auto dataSet = table.Open();
    dataSet->SetFilter("NAME = 'A*'");
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"bob", "ann", "dan", "amy", "Al"}));
    dataSet->SetFiltered(true);
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"Al"}));
    dataSet->SetFilterOptions(xbase::foCaseInsensitive);
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"ann", "amy", "Al"}));
    dataSet->SetFilter("QTY < 3");
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"bob", "ann"}));
}

TEST(EngineFilter, SettingFilteredGoesToTheFirstRecordThatPasses) {
    TableDir table("T.DBF", NamesShape(kNames));
    auto dataSet = table.Open();
    dataSet->SetFilter("QTY > 4");
    dataSet->Last();
    dataSet->SetFiltered(true);
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "dan");
    EXPECT_EQ(dataSet->RecNo(), 4);
}

TEST(EngineFilter, ExpressionThatIsNotLogicalIsRefusedAndTheDataSetStaysAsItWas) {
    const char* const expressions[] = {"NAME", "QTY + 1", "DATE()"};
    TableDir table("T.DBF", NamesShape(kNames));
    for (const char* expression : expressions) {
        auto dataSet = table.Open();
        dataSet->Next();
        dataSet->SetFilter(expression);
        EXPECT_EQ(MessageOf([&] { dataSet->SetFiltered(true); }),
                  "Filter expression must return boolean result")
            << expression;
        EXPECT_FALSE(dataSet->Filtered());
        EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "ann");
        EXPECT_EQ(VisibleNames(*dataSet), (Names{"bob", "ann", "dan", "amy", "Al"}));
    }
    // Refused at open as well: the dataset does not open showing unfiltered records.
    auto closed = table.DataSet();
    closed->SetFilter("NAME");
    closed->SetFiltered(true);
    EXPECT_EQ(MessageOf([&] { closed->Open(); }), "Filter expression must return boolean result");
    EXPECT_FALSE(closed->Active());
}

TEST(EngineFilter, WrittenRecordsAreJudgedAgain) {
    TableDir table("T.DBF", NamesShape(kNames));
    auto dataSet = table.DataSet();
    dataSet->SetFilter("QTY > 4");
    dataSet->SetFiltered(true);
    dataSet->Open();
    dataSet->Edit();
    dataSet->FieldByName("QTY").SetAsString("1");
    dataSet->Post();
    dataSet->Append();
    dataSet->FieldByName("NAME").SetAsString("zed");
    dataSet->FieldByName("QTY").SetAsString("9");
    dataSet->Post();
    dataSet->Append();
    dataSet->FieldByName("NAME").SetAsString("low");
    dataSet->FieldByName("QTY").SetAsString("2");
    dataSet->Post();
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"amy", "Al", "zed"}));
}

TEST(EngineFilter, OnFilterRecordNarrowsTheEngineFilter) {
    TableDir table("T.DBF", NamesShape(kNames));
    auto dataSet = table.Open();
    dataSet->OnFilterRecord = [](data::DataSet& ds, bool& accept) {
        accept = ds.FieldByName("NAME").AsString() != "dan";
    };
    dataSet->SetFilter("QTY > 4");
    dataSet->SetFiltered(true);
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"amy", "Al"}));
}

TEST(IndexOrder, RowsFollowTheSelectedTag) {
    TableDir table("T.DBF", NamesShape(kNames));
    MakeIndex(table, "NAMES.NDX", "NAME");
    MakeIndex(table, "BYQTY.NDX", "STR(100-QTY,8,2)");
    auto dataSet = table.DataSet();
    dataSet->SetIndexFiles({"NAMES", "byqty.ndx"});
    dataSet->SetIndexName("NAMES");
    dataSet->Open();
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"Al", "amy", "ann", "bob", "dan"}));
    EXPECT_FALSE(dataSet->IsSequenced());
    dataSet->SetIndexName(" byqty ");
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"Al", "amy", "dan", "ann", "bob"}));
    dataSet->SetIndexName("");
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"bob", "ann", "dan", "amy", "Al"}));
    EXPECT_TRUE(dataSet->IsSequenced());
}

TEST(IndexOrder, SelectingATagKeepsTheCurrentRow) {
    TableDir table("T.DBF", NamesShape(kNames));
    MakeIndex(table, "NAMES.NDX", "NAME");
    auto dataSet = OpenIndexed(table, {"NAMES"}, "");
    dataSet->Next();
    dataSet->Next();
    ASSERT_EQ(dataSet->FieldByName("NAME").AsString(), "dan");
    dataSet->SetIndexName("NAMES");
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "dan");
    dataSet->Prior();
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "bob");
}

TEST(IndexOrder, FilterAndTagTogether) {
    TableDir table("T.DBF", NamesShape(kNames));
    MakeIndex(table, "NAMES.NDX", "NAME");
    auto dataSet = table.DataSet();
    dataSet->SetIndexFiles({"NAMES"});
    dataSet->SetIndexName("NAMES");
    dataSet->SetFilter("QTY > 2");
    dataSet->SetFiltered(true);
    dataSet->Open();
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"Al", "amy", "ann", "dan"}));
}

TEST(IndexOrder, WritesKeepTheListedIndexCurrent) {
    TableDir table("T.DBF", NamesShape(kNames));
    MakeIndex(table, "NAMES.NDX", "NAME");
    {
        auto dataSet = OpenIndexed(table, {"NAMES"}, "NAMES");
        dataSet->Append();
        dataSet->FieldByName("NAME").SetAsString("cat");
        dataSet->Post();
        dataSet->First();
        dataSet->Edit();
        dataSet->FieldByName("NAME").SetAsString("zoe");
        dataSet->Post();
    }
    auto dataSet = OpenIndexed(table, {"NAMES"}, "NAMES");
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"amy", "ann", "bob", "cat", "dan", "zoe"}));
}

TEST(IndexOrder, IndexDefsDescribeTheOpenTags) {
    struct Case {
        const char* key;
        const char* fields;
        bool isExpression;
    };
    const Case cases[] = {
        {"NAME", "NAME", false},
        {"NAME + NAME", "NAME;NAME", false},
        {"NAME-NAME", "NAME;NAME", false},
        {"UPPER(NAME)", "UPPER(NAME)", true},
        {"NAME+STR(QTY,8,2)", "NAME+STR(QTY,8,2)", true},
    };
    for (const Case& c : cases) {
        TableDir table("T.DBF", NamesShape(kNames));
        MakeIndex(table, "K.NDX", c.key);
        auto dataSet = OpenIndexed(table, {"K"}, "");
        ASSERT_EQ(dataSet->IndexDefs().size(), 1u) << c.key;
        const xbase::IndexDef& def = dataSet->IndexDefs()[0];
        EXPECT_EQ(def.name, "K") << c.key;
        EXPECT_EQ(def.expression, c.key);
        EXPECT_EQ(def.fields, c.fields) << c.key;
        EXPECT_EQ(def.isExpression, c.isExpression) << c.key;
        EXPECT_EQ(dataSet->TagName(0), "K");
        EXPECT_EQ(dataSet->TagCount(), 1);
    }
}

TEST(IndexOrder, UnusableIndexListsAreRefusedByName) {
    TableDir table("T.DBF", NamesShape(kNames));
    MakeIndex(table, "NAMES.NDX", "NAME");
    tabletest::WriteFile(table.Path() + "/JUNK.NDX", std::vector<std::uint8_t>(100, 0xEE));
    // Full paths as the engine writes them (upper case).
    const std::string dir = table.DataSet()->ResolvedDirectory();
    struct Case {
        std::vector<std::string> files;
        std::string message;
    };
    const Case cases[] = {
        {{"MISSING"}, "Cannot find file " + dir + "MISSING.NDX"},
        {{"NAMES", "GONE.NDX"}, "Cannot find file " + dir + "GONE.NDX"},
        {{"NAMES", "NAMES.NDX"}, "Index file " + dir + "NAMES.NDX already open"},
        {{"JUNK.NDX"}, "Error getting " + dir + "JUNK.NDX"},
    };
    for (const Case& c : cases) {
        // Named before open: the open fails and leaves the dataset closed.
        auto dataSet = table.DataSet();
        dataSet->SetIndexFiles(c.files);
        EXPECT_EQ(MessageOf([&] { dataSet->Open(); }), c.message);
        EXPECT_FALSE(dataSet->Active());
        // Changed while open: nothing of the list stays open, the rows are in record order.
        dataSet->SetIndexFiles({});
        dataSet->Open();
        EXPECT_EQ(MessageOf([&] { dataSet->SetIndexFiles(c.files); }), c.message);
        EXPECT_EQ(dataSet->TagCount(), 0);
        EXPECT_EQ(dataSet->Handler()->TagCount(), 0);
        EXPECT_EQ(VisibleNames(*dataSet), (Names{"bob", "ann", "dan", "amy", "Al"}));
    }
}

TEST(IndexOrder, UnknownTagIsRefused) {
    TableDir table("T.DBF", NamesShape(kNames));
    MakeIndex(table, "NAMES.NDX", "NAME");
    auto dataSet = OpenIndexed(table, {"NAMES"}, "");
    EXPECT_EQ(MessageOf([&] { dataSet->SetIndexName("nope"); }), "Cannot find index tag NOPE");
    EXPECT_EQ(dataSet->IndexName(), "");
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"bob", "ann", "dan", "amy", "Al"}));
}

TEST(IndexOrder, AnEmptyListClearsTheTag) {
    TableDir table("T.DBF", NamesShape(kNames));
    MakeIndex(table, "NAMES.NDX", "NAME");
    auto dataSet = OpenIndexed(table, {"NAMES"}, "NAMES");
    dataSet->SetIndexFiles({});
    EXPECT_EQ(dataSet->IndexName(), "");
    EXPECT_TRUE(dataSet->IsSequenced());
    EXPECT_EQ(VisibleNames(*dataSet), (Names{"bob", "ann", "dan", "amy", "Al"}));
}

TEST(KeyRange, LimitsTheRowsToTheKeysBetweenTheBounds) {
    struct Case {
        const char* low;
        const char* high;
        Names visible;
    };
    const Case cases[] = {
        {"amy", "bob", {"amy", "ann", "bob"}},
        {"b", "", {"bob", "dan"}},
        {"", "amz", {"Al", "amy"}},
        {"c", "cz", {}},
    };
    TableDir table("T.DBF", NamesShape(kNames));
    MakeIndex(table, "NAMES.NDX", "NAME");
    auto dataSet = OpenIndexed(table, {"NAMES"}, "NAMES");
    for (const Case& c : cases) {
        dataSet->SetRange(c.low, c.high);
        EXPECT_EQ(VisibleNames(*dataSet), c.visible) << c.low << ".." << c.high;
        dataSet->CancelRange();
        EXPECT_EQ(VisibleNames(*dataSet), (Names{"Al", "amy", "ann", "bob", "dan"}));
    }
}

struct LocateCase {
    const char* fields;
    Names values;
    unsigned options;
    bool found;
    const char* nameAfter;
};

TEST(Locate, FindsTheFirstMatchingRowOrStaysPut) {
    const LocateCase cases[] = {
        {"NAME", {"amy"}, 0, true, "amy"},
        {"name", {"AMY"}, xbase::loCaseInsensitive, true, "amy"},
        {"NAME", {"AMY"}, 0, false, "dan"},
        {"NAME", {"a"}, xbase::loPartialKey, true, "ann"},
        {"NAME", {"a"}, 0, false, "dan"},
        {"NAME", {"cy"}, 0, false, "dan"},
        {"NAME;FLAG", {"bob", "T"}, 0, true, "bob"},
        {"NAME;FLAG", {"bob", "F"}, 0, false, "dan"},
    };
    TableDir table("T.DBF", NamesShape(kNames));
    auto dataSet = table.Open();
    for (const LocateCase& c : cases) {
        dataSet->SetRecNo(4);
        int scrolls = 0;
        dataSet->AfterScroll = [&](data::DataSet&) { ++scrolls; };
        EXPECT_EQ(dataSet->Locate(c.fields, c.values, c.options), c.found)
            << c.fields << " " << c.values[0];
        EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), c.nameAfter)
            << c.fields << " " << c.values[0];
        EXPECT_EQ(scrolls, c.found ? 1 : 0);
        dataSet->AfterScroll = nullptr;
    }
}

TEST(Locate, LookupGivesTheResultFieldsAndKeepsTheRow) {
    TableDir table("T.DBF", NamesShape(kNames));
    auto dataSet = table.Open();
    dataSet->SetRecNo(2);
    auto found = dataSet->Lookup("NAME", {"amy"}, "QTY;NAME");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(*found, (Names{"5.50", "amy"}));
    EXPECT_FALSE(dataSet->Lookup("NAME", {"AMY"}, "QTY").has_value());
    EXPECT_EQ(dataSet->FieldByName("NAME").AsString(), "ann");
    EXPECT_EQ(dataSet->RecNo(), 2);
}

// Master M.DBF (CODE C(4)) and detail D.DBF (CODE C(4), NAME C(10)) in one directory.
class MasterDetail : public ::testing::Test {
protected:
    MasterDetail() : master_("M.DBF", MasterShape()) {
        tabletest::TableShape detail;
        detail.fields = {{"CODE", 'C', 4, 0}, {"NAME", 'C', 10, 0}};
        for (const char* record : {"C1  x1", "C10 y", "C2  z", "C1  x2", "C1  ", "C3  w"}) {
            detail.records.push_back(record);
        }
        tabletest::WriteFile(master_.Path() + "/D.DBF", tabletest::BuildTable(detail));
    }
    static tabletest::TableShape MasterShape() {
        tabletest::TableShape shape;
        shape.fields = {{"CODE", 'C', 4, 0}, {"TITLE", 'C', 6, 0}};
        shape.records = {"C1  one", "C10 ten", "C2  two", "C9  none"};
        return shape;
    }
    // The detail dataset, ordered by a fresh index on `indexKey` (none when empty).
    std::unique_ptr<xbase::XBaseDataSet> Detail(const std::string& indexKey) {
        auto detail = master_.DataSet();
        detail->SetTableName("D.DBF");
        if (!indexKey.empty()) {
            const std::string file = "DK" + std::to_string(++indexes_);
            xbase::DbfHandler handler(master_.Path() + "/D.DBF", false, true);
            handler.CreateIndex(master_.Path() + "/" + file + ".NDX", "", indexKey, "", false,
                                false);
            detail->SetIndexFiles({file});
            detail->SetIndexName(file);
        }
        return detail;
    }
    Names DetailNames(xbase::XBaseDataSet& detail) {
        Names names;
        for (detail.First(); !detail.Eof(); detail.Next())
            names.push_back(detail.FieldByName("NAME").AsString());
        return names;
    }

    TableDir master_;
    int indexes_ = 0;
};

TEST_F(MasterDetail, DetailRowsFollowTheMastersKey) {
    struct Case {
        const char* key;
        std::vector<Names> perMasterRow;  // for C1, C10, C2, C9
    };
    const Case cases[] = {
        // Equal keys in record order; with the name in the key the blank name first.
        {"CODE", {{"x1", "x2", ""}, {"y"}, {"z"}, {}}},
        {"CODE+NAME", {{"", "x1", "x2"}, {"y"}, {"z"}, {}}},
    };
    for (const Case& c : cases) {
        auto master = master_.Open();
        data::DataSource source(master.get());
        auto detail = Detail(c.key);
        detail->SetMasterFields("CODE");
        detail->SetMasterSource(&source);
        detail->Open();
        for (std::size_t i = 0; i < c.perMasterRow.size(); ++i) {
            EXPECT_EQ(DetailNames(*detail), c.perMasterRow[i]) << c.key << " master row " << i;
            master->Next();
        }
        master->First();
        EXPECT_EQ(DetailNames(*detail), c.perMasterRow[0]) << c.key;
    }
}

TEST_F(MasterDetail, InsertingIntoTheMasterKeepsTheRange) {
    auto master = master_.Open();
    data::DataSource source(master.get());
    auto detail = Detail("CODE");
    detail->SetMasterFields("CODE");
    detail->SetMasterSource(&source);
    detail->Open();
    master->Next();
    master->Insert();
    EXPECT_EQ(DetailNames(*detail), (Names{"y"}));
    master->Cancel();
}

TEST_F(MasterDetail, LinksThatCannotWorkAreRefused) {
    struct Case {
        const char* indexKey;
        const char* masterFields;
        const char* message;
    };
    const Case cases[] = {
        {"", "CODE", "Master/Detail relation failed, no index open for D.DBF"},
        {"CODE", "CODE;TITLE", "Master/Detail relation failed, field missmatch for D.DBF"},
        {"UPPER(NAME)", "CODE;TITLE", "Master/Detail relation failed, field missmatch for D.DBF"},
    };
    for (const Case& c : cases) {
        auto master = master_.Open();
        data::DataSource source(master.get());
        auto detail = Detail(c.indexKey);
        detail->SetMasterFields(c.masterFields);
        detail->SetMasterSource(&source);
        EXPECT_EQ(MessageOf([&] { detail->Open(); }), c.message) << c.indexKey;
        EXPECT_FALSE(detail->Active());
    }
}

TEST_F(MasterDetail, CircularLinksAreRefused) {
    auto first = master_.DataSet();
    auto second = Detail("");
    data::DataSource firstSource(first.get());
    data::DataSource secondSource(second.get());
    EXPECT_EQ(MessageOf([&] { first->SetMasterSource(&firstSource); }),
              "Circular datalinks are not allowed");
    second->SetMasterSource(&firstSource);
    EXPECT_EQ(MessageOf([&] { first->SetMasterSource(&secondSource); }),
              "Circular datalinks are not allowed");
    EXPECT_EQ(first->MasterSource(), nullptr);
    second->SetMasterSource(nullptr);
}

}  // namespace
