// Blob and memo fields through the default blob stream.
#include <gtest/gtest.h>

#include "MemDataSet.h"
#include "data/DataError.h"

using namespace data;

namespace {

std::unique_ptr<datatest::MemDataSet> MemoSet() {
    std::vector<FieldDef> defs(2);
    defs[0].name = "NOTE";
    defs[0].dataType = ftMemo;
    defs[1].name = "DATA";
    defs[1].dataType = ftBlob;
    auto ds = std::make_unique<datatest::MemDataSet>(defs);
    ds->AddRow({BlobBytes{"hello world"}, {}});
    return ds;
}

TEST(BlobStreams, ReadSeekAndWriteReplaceTheTail) {
    auto ds = MemoSet();
    ds->Open();
    Field& note = ds->FieldByName("NOTE");
    EXPECT_EQ(note.AsString(), "hello world");
    EXPECT_EQ(note.DisplayText(), "(MEMO)");
    EXPECT_EQ(ds->FieldByName("DATA").DisplayText(), "(blob)");

    auto reader = ds->CreateBlobStream(note, bmRead);
    char part[5];
    reader->Seek(6, soBeginning);
    EXPECT_EQ(reader->Read(part, 5), 5u);
    EXPECT_EQ(std::string(part, 5), "world");
    EXPECT_EQ(reader->Read(part, 5), 0u);
    EXPECT_EQ(reader->Seek(-3, soEnd), 8);
    EXPECT_THROW(reader->Write("x", 1), DataError);

    ds->Edit();
    auto writer = ds->CreateBlobStream(note, bmReadWrite);
    writer->Seek(5, soBeginning);
    writer->Write("!", 1);  // the text now ends after the written byte
    writer->Close();
    EXPECT_EQ(note.AsString(), "hello!");
    ds->Post();
    EXPECT_EQ(note.AsString(), "hello!");
}

TEST(BlobStreams, WritingNeedsEditStateAndAWritableField) {
    auto ds = MemoSet();
    ds->Open();
    Field& note = ds->FieldByName("NOTE");
    try {
        ds->CreateBlobStream(note, bmWrite);
        FAIL();
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Dataset not in edit or insert mode");
    }
    ds->Edit();
    note.SetReadOnly(true);
    try {
        note.SetAsString("x");
        FAIL();
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Field 'NOTE' cannot be modified");
    }
}

TEST(BlobStreams, EmptyContentIsNullAndValuesRoundTrip) {
    auto ds = MemoSet();
    ds->Open();
    ds->Edit();
    ds->FieldByName("NOTE").SetAsString("");
    EXPECT_TRUE(ds->FieldByName("NOTE").IsNull());
    std::string bytes("\0\1\2binary", 9);
    ds->FieldByName("DATA").SetValue(BlobBytes{bytes});
    ds->Post();
    EXPECT_EQ(ds->FieldByName("DATA").AsString(), bytes);
    EXPECT_EQ(std::get<BlobBytes>(ds->FieldByName("DATA").Value()).bytes, bytes);
    EXPECT_EQ(ds->FieldByName("DATA").DisplayText(), "(BLOB)");
    EXPECT_THROW(ds->FieldByName("DATA").AsInteger(), DataError);
}

}  // namespace
