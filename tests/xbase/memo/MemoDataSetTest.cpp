// Memo fields through XBaseDataSet: AsString gives and takes the text in UTF-8 (stored in
// the OEM code page), blob streams read, write and seek, and the memo file changes only
// when the record is posted.
#include <gtest/gtest.h>

#include <sstream>

#include "../table/TableTestSupport.h"
#include "MemoTestSupport.h"
#include "data/DataError.h"
#include "data/Field.h"
#include "xbase/dataset/XBaseDataSet.h"

namespace {

const char* kReadBack = R"PY(
import dbf, dbfread
t = dbf.Table(TABLE)
t.open(dbf.READ_ONLY)
for rec in t:
    print('dbf', (rec.notes or '').encode('utf-8').hex())
t.close()
for rec in dbfread.DBF(TABLE, encoding='gbk'):
    print('dbfread', (rec['NOTES'] or '').encode('utf-8').hex())
)PY";

class MemoDataSet : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        memotest::WritePeerMemoTables(dir_.path(), "发票备注 first");
        table_ = dir_.file(std::string(GetParam()) + ".dbf");
        dataSet_.SetTableName(table_);
        dataSet_.Open();
    }
    data::Field& Notes() { return dataSet_.FieldByName("NOTES"); }
    // What python3-dbf and dbfread read, in record order, as UTF-8.
    std::vector<std::string> PeerTexts() {
        std::string script = kReadBack;
        for (std::size_t at; (at = script.find("TABLE")) != std::string::npos;) {
            script.replace(at, 5, "'" + table_ + "'");
        }
        std::istringstream out(memotest::RunPython(script));
        std::vector<std::string> texts;
        std::string reader, hex;
        while (out >> reader) {
            std::getline(out, hex);
            hex.erase(0, hex.find_first_not_of(' '));
            texts.push_back(reader + ":" + memotest::FromHex(hex));
        }
        return texts;
    }
    tabletest::TempDir dir_;
    std::string table_;
    xbase::XBaseDataSet dataSet_;
};

TEST_P(MemoDataSet, AsStringReadsTheTextInUtf8) {
    dataSet_.First();
    EXPECT_EQ(Notes().AsString(), "发票备注 first");
    EXPECT_EQ(Notes().DisplayText(), "(MEMO)");
    dataSet_.Next();
    EXPECT_EQ(Notes().AsString(), "");
}

TEST_P(MemoDataSet, PostedTextReadsIdenticallyHereAndInThePeers) {
    dataSet_.First();
    dataSet_.Edit();
    Notes().SetAsString("税控机 memo, longer than one block: " + std::string(900, '-'));
    EXPECT_EQ(Notes().AsString(), "税控机 memo, longer than one block: " + std::string(900, '-'));
    dataSet_.Post();
    dataSet_.Next();
    dataSet_.Edit();
    Notes().SetAsString("second 备注");
    dataSet_.Post();
    dataSet_.Append();
    dataSet_.FieldByName("NAME").SetAsString("three");
    Notes().SetAsString("appended");
    dataSet_.Post();
    dataSet_.Close();
    std::string first = "税控机 memo, longer than one block: " + std::string(900, '-');
    std::vector<std::string> expected = {"dbf:" + first,        "dbf:second 备注",
                                         "dbf:appended",        "dbfread:" + first,
                                         "dbfread:second 备注", "dbfread:appended"};
    EXPECT_EQ(PeerTexts(), expected);
}

TEST_P(MemoDataSet, CancelLeavesTheMemoFileUntouched) {
    auto memoBefore = tabletest::ReadFile(dataSet_.Handler()->Memo()->HostPath());
    dataSet_.First();
    dataSet_.Edit();
    Notes().SetAsString("not kept");
    Notes().SetAsString("");
    dataSet_.Cancel();
    EXPECT_EQ(Notes().AsString(), "发票备注 first");
    EXPECT_EQ(tabletest::ReadFile(dataSet_.Handler()->Memo()->HostPath()), memoBefore);
}

TEST_P(MemoDataSet, ClearingTheTextLeavesNoReference) {
    dataSet_.First();
    dataSet_.Edit();
    Notes().SetAsString("");
    EXPECT_TRUE(Notes().IsNull());
    dataSet_.Post();
    EXPECT_EQ(Notes().AsString(), "");
    EXPECT_EQ(Notes().DisplayText(), "(memo)");
    EXPECT_EQ(dataSet_.Handler()->GetFieldNumber(dataSet_.Handler()->FieldNumber("NOTES")), 0.0);
}

TEST_P(MemoDataSet, StreamsReadWriteAndSeek) {
    dataSet_.First();
    {
        auto stream = dataSet_.CreateBlobStream(Notes(), data::bmRead);
        char head[6] = {};
        EXPECT_EQ(stream->Read(head, 6), 6u);  // six bytes: two UTF-8 characters
        EXPECT_EQ(std::string(head, 6), "发票");
        EXPECT_THROW(stream->Write("x", 1), data::DataError);
    }
    EXPECT_THROW(dataSet_.CreateBlobStream(Notes(), data::bmWrite), data::DataError);
    dataSet_.Edit();
    {
        auto stream = dataSet_.CreateBlobStream(Notes(), data::bmReadWrite);
        stream->Seek(-5, data::soEnd);
        stream->Write("LAST", 4);  // the text now ends after the written bytes
        stream->Close();
    }
    dataSet_.Post();
    EXPECT_EQ(Notes().AsString(), "发票备注 LAST");
    dataSet_.Edit();
    {
        auto stream = dataSet_.CreateBlobStream(Notes(), data::bmWrite);
        EXPECT_EQ(stream->Size(), 0);
        stream->WriteAll("replaced");
        stream->Close();
    }
    dataSet_.Post();
    EXPECT_EQ(Notes().AsString(), "replaced");
}

INSTANTIATE_TEST_SUITE_P(Python3Dbf, MemoDataSet, ::testing::Values("t3", "tf", "tv"));

}  // namespace
