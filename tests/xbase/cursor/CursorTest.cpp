// The handler's cursor: end flags, walking past deleted records, blank records at
// count + 1, Skip, read-ahead scans, and records appended through another handle.
#include <gtest/gtest.h>

#include "../table/TableTestSupport.h"
#include "xbase/cursor/DbfHandler.h"
#include "xbase/file/EngineError.h"

using namespace tabletest;
using xbase::DbfHandler;
namespace move = xbase::move;

namespace {

class CursorTest : public ::testing::Test {
protected:
    // Records A..E; the names starting with '*' are stored deleted.
    std::string Write(const std::vector<std::string>& names) {
        TableShape layout = SimpleShape({});
        layout.recordsHaveFlag = true;
        for (const std::string& n : names) {
            bool deleted = !n.empty() && n[0] == '*';
            layout.records.push_back(std::string(deleted ? "*" : " ") +
                                     Pad(deleted ? n.substr(1) : n, 10) + "    1.50T");
        }
        std::string path = dir.file("t.dbf");
        WriteFile(path, BuildTable(layout));
        return path;
    }
    TempDir dir;
};

TEST_F(CursorTest, EmptyTableSetsBothEndsAndReadsNothing) {
    DbfHandler table(Write({}), true, true);
    for (int code : {move::First, move::Last, move::Next}) {
        table.GoTo(code);
        EXPECT_TRUE(table.Eof());
        EXPECT_TRUE(table.Bof());
        EXPECT_FALSE(table.Positioned());
        EXPECT_EQ(table.CurrentRecord(), 0);
    }
}

TEST_F(CursorTest, HiddenDeletedRecordsAreWalkedPast) {
    DbfHandler table(Write({"A", "*B", "C", "*D", "*E"}), true, true);
    table.SetUseDeleted(false);
    table.GoTo(move::First);
    EXPECT_EQ(table.CurrentRecord(), 1);
    table.GoTo(move::Next);
    EXPECT_EQ(table.CurrentRecord(), 3);
    EXPECT_EQ(table.GetFieldText("NAME"), "C");
    table.GoTo(move::Next);
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(table.CurrentRecord(), 5);  // the last record read, deleted
    table.GoTo(move::Last);
    EXPECT_EQ(table.CurrentRecord(), 3);
    EXPECT_TRUE(table.Positioned());
    EXPECT_EQ(table.RecordCount(), 5);

    table.SetUseDeleted(true);
    table.GoTo(move::Last);
    EXPECT_EQ(table.CurrentRecord(), 5);
    EXPECT_TRUE(table.RecordDeleted());
}

TEST_F(CursorTest, AllDeletedEndsAtEofButCountsEveryRecord) {
    DbfHandler table(Write({"*A", "*B"}), true, true);
    table.SetUseDeleted(false);
    table.GoTo(move::First);
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(table.RecordCount(), 2);
    table.GoTo(move::Last);
    EXPECT_TRUE(table.Bof());
}

TEST_F(CursorTest, RereadOfAHiddenRecordWalksForward) {
    DbfHandler table(Write({"A", "B", "C"}), true, true);
    table.SetUseDeleted(false);
    table.GoTo(2);
    table.DeleteRecord();
    table.GoTo(move::Reread);
    EXPECT_EQ(table.CurrentRecord(), 3);
}

TEST_F(CursorTest, PriorOnFirstRecordSetsBofWithoutReading) {
    DbfHandler table(Write({"A", "B"}), true, true);
    table.GoTo(1);
    table.PutFieldText("NAME", "CHANGED");
    table.GoTo(move::Prior);
    EXPECT_TRUE(table.Bof());
    EXPECT_EQ(table.CurrentRecord(), 1);
    EXPECT_EQ(table.GetFieldText("NAME"), "CHANGED");  // nothing was read
}

TEST_F(CursorTest, CountPlusOneIsABlankRecordAndBeyondIsAnError) {
    DbfHandler table(Write({"A", "B"}), true, true);
    table.GoTo(2);
    table.GoTo(3);
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(table.CurrentRecord(), 2);
    EXPECT_EQ(table.GetFieldRaw(1), std::string(10, ' '));
    EXPECT_EQ(table.GetFieldRaw(2), "    0.00");
    try {
        table.GoTo(4);
        FAIL() << "count + 2 accepted";
    } catch (const xbase::XBaseError& e) {
        EXPECT_EQ(e.code(), 1002);
        EXPECT_EQ(e.subcode(), 1207);
    }
    EXPECT_THROW(table.GoTo(-6), xbase::XBaseError);
    table.GoTo(1);
    table.GoTo(0);
    EXPECT_EQ(table.CurrentRecord(), 1);
    EXPECT_EQ(table.GetFieldText("NAME"), "");
}

TEST_F(CursorTest, SkipMovesByRecordsAndStopsAtTheEnds) {
    DbfHandler table(Write({"A", "B", "C", "D"}), true, true);
    table.GoTo(1);
    table.Skip(2);
    EXPECT_EQ(table.CurrentRecord(), 3);
    table.Skip(10);
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(table.CurrentRecord(), 4);
    table.Skip(-10);
    EXPECT_TRUE(table.Bof());
    EXPECT_EQ(table.CurrentRecord(), 1);
    table.Skip(0);
    EXPECT_EQ(table.CurrentRecord(), 1);
    EXPECT_TRUE(table.Positioned());
}

TEST_F(CursorTest, SkipCountsOnlyVisibleRecordsWhenDeletedAreHidden) {
    DbfHandler table(Write({"A", "*B", "*C", "D", "E"}), true, true);
    table.SetUseDeleted(false);
    table.GoTo(move::First);
    table.Skip(2);
    EXPECT_EQ(table.CurrentRecord(), 5);
    table.Skip(-1);
    EXPECT_EQ(table.CurrentRecord(), 4);
}

TEST_F(CursorTest, ReadAheadScanSeesTheSameRecordsAndItsOwnWrites) {
    std::vector<std::string> names;
    for (int i = 0; i < 5000; ++i) names.push_back("N" + std::to_string(i));
    DbfHandler table(Write(names), true, true);
    table.SetReadAhead(true);
    EXPECT_EQ(table.ReadAheadWindowSize(), 32760u);  // whole 20-byte records
    table.GoTo(2000);
    table.PutFieldText("NAME", "REPLACED");
    table.ReplaceRecord(2000);
    int n = 0;
    for (table.GoTo(move::First); !table.Eof(); table.GoTo(move::Next)) {
        ++n;
        std::string expected = n == 2000 ? "REPLACED" : "N" + std::to_string(n - 1);
        ASSERT_EQ(table.GetFieldText(1), expected);
    }
    EXPECT_EQ(n, 5000);
    table.SetReadAhead(false);
    table.GoTo(2000);
    EXPECT_EQ(table.GetFieldText(1), "REPLACED");
}

TEST_F(CursorTest, ReadAheadWindowHoldsAtLeastOneRecord) {
    TableShape layout;
    layout.fields = {{"BIG", 'C', 40000, 0}};
    layout.records = {"x", "y"};
    WriteFile(dir.file("big.dbf"), BuildTable(layout));
    DbfHandler table(dir.file("big.dbf"), true, false);
    table.SetReadAhead(true);
    EXPECT_EQ(table.ReadAheadWindowSize(), 40001u);
    table.GoTo(move::Last);
    EXPECT_EQ(table.GetFieldText(1), "y");
}

TEST_F(CursorTest, RecordsAppendedThroughAnotherHandleBecomeVisible) {
    std::string path = Write({"A", "B"});
    DbfHandler reader(path, true, true);
    DbfHandler writer(path, true, true);
    reader.SetReadAhead(true);
    reader.GoTo(move::Last);
    writer.BlankRecord();
    writer.PutFieldText("NAME", "C");
    ASSERT_TRUE(writer.AppendRecord());
    reader.GoTo(move::Next);
    EXPECT_FALSE(reader.Eof());
    EXPECT_EQ(reader.CurrentRecord(), 3);
    EXPECT_EQ(reader.GetFieldText("NAME"), "C");
    // An append here takes the refreshed count + 1.
    writer.BlankRecord();
    writer.PutFieldText("NAME", "D");
    writer.AppendRecord();
    reader.BlankRecord();
    reader.PutFieldText("NAME", "E");
    reader.AppendRecord();
    EXPECT_EQ(reader.CurrentRecord(), 5);
    EXPECT_EQ(reader.RecordCount(), 5);
}

}  // namespace
