// Memo fields through the table: read by the record's block number, written with the
// new number stored back, renamed, flushed and locked along with the table.
#include <gtest/gtest.h>

#include <filesystem>

#include "../table/TableTestSupport.h"
#include "MemoTestSupport.h"
#include "xbase/cursor/DbfHandler.h"
#include "xbase/file/EngineError.h"
#include "xbase/memo/MemoFile.h"

namespace {

class MemoFields : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        memotest::WritePeerMemoTables(dir_.path(), "first memo");
        table_ = dir_.file(std::string(GetParam()) + ".dbf");
    }
    tabletest::TempDir dir_;
    std::string table_;
};

TEST_P(MemoFields, ReadWriteAndClearThroughTheRecord) {
    {
        xbase::DbfHandler dbf(table_, true, true);
        int notes = dbf.FieldNumber("NOTES");
        dbf.GoTo(1);
        EXPECT_EQ(dbf.GetMemo(notes), "first memo");
        EXPECT_EQ(dbf.GetMemoSize(notes), 10u);
        EXPECT_EQ(dbf.GetMemo(dbf.FieldNumber("NAME")), "");  // not a memo field
        ASSERT_TRUE(dbf.PutMemo(notes, std::string(2000, 'L')));
        ASSERT_TRUE(dbf.ReplaceRecord(1));
        dbf.GoTo(2);
        ASSERT_TRUE(dbf.PutMemo(notes, ""));
        ASSERT_TRUE(dbf.ReplaceRecord(2));
        EXPECT_EQ(dbf.GetMemo(notes), "");
        EXPECT_THROW(dbf.PutMemo(dbf.FieldNumber("NAME"), "x"), xbase::XBaseError);
    }
    xbase::DbfHandler again(table_, true, false);
    again.GoTo(1);
    EXPECT_EQ(again.GetMemo(again.FieldNumber("NOTES")), std::string(2000, 'L'));
    again.GoTo(2);
    EXPECT_EQ(again.GetMemo(again.FieldNumber("NOTES")), "");
    if (again.Version() != 0x30) {
        EXPECT_EQ(again.GetFieldRaw(again.FieldNumber("NOTES")), "          ");
    }
}

TEST_P(MemoFields, RenameTakesTheMemoFileAlong) {
    xbase::DbfHandler dbf(table_, true, true);
    ASSERT_TRUE(dbf.DiskRename(dir_.file("moved.dbf")));
    EXPECT_FALSE(std::filesystem::exists(table_));
    ASSERT_NE(dbf.Memo(), nullptr);
    EXPECT_NE(dbf.Memo()->FullPath().find("/MOVED."), std::string::npos);
    dbf.GoTo(1);
    EXPECT_EQ(dbf.GetMemo(dbf.FieldNumber("NOTES")), "first memo");
}

TEST_P(MemoFields, LockProtocolAndFlushReachTheMemo) {
    xbase::DbfHandler dbf(table_, true, true);
    ASSERT_NE(dbf.Memo(), nullptr);
    dbf.SetLockProtocol(xbase::LockProtocol::DB4Lock);
    EXPECT_EQ(dbf.Memo()->WriteLockOffset(), 0xEFFFFFFEu);
    EXPECT_EQ(dbf.Memo()->WriteLockLength(), 2u);
    dbf.GoTo(1);
    dbf.PutMemo(dbf.FieldNumber("NOTES"), "flushed");
    EXPECT_TRUE(dbf.Memo()->Written());
    dbf.Flush();
    EXPECT_FALSE(dbf.Memo()->Written());
}

INSTANTIATE_TEST_SUITE_P(Python3Dbf, MemoFields, ::testing::Values("t3", "tf", "tv"));

TEST(MemoFieldsMissingFile, FirstAccessReportsTheMissingMemo) {
    tabletest::TempDir dir;
    memotest::WritePeerMemoTables(dir.path(), "first memo");
    std::filesystem::remove(dir.file("tf.fpt"));
    xbase::DbfHandler dbf(dir.file("tf.dbf"), true, true);  // opening needs no memo
    dbf.GoTo(1);
    try {
        dbf.GetMemo(dbf.FieldNumber("NOTES"));
        FAIL();
    } catch (const xbase::XBaseError& e) {
        EXPECT_EQ(e.code(), 2);
        EXPECT_EQ(e.subcode(), xbase::memoinfo::Missing);
    }
}

}  // namespace
