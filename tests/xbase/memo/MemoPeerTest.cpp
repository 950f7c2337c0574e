// Memo files of independent xBase programs: python3-dbf's dBase III, FoxPro and Visual
// FoxPro tables and the Harbour-made FPT and DBT files read identically, and memos this
// engine writes read identically in python3-dbf and python3-dbfread.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "../table/TableTestSupport.h"
#include "MemoTestSupport.h"
#include "xbase/cursor/DbfHandler.h"
#include "xbase/memo/MemoFile.h"

namespace {

using Texts = std::map<int, std::string>;  // record number -> memo bytes

// "recno hex" lines into a map.
Texts ParseLines(const std::string& output) {
    Texts texts;
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        int recno = 0;
        std::string hex;
        if (fields >> recno) {
            fields >> hex;
            texts[recno] = memotest::FromHex(hex);
        }
    }
    return texts;
}

// Every record's memo of field `field`, read through the table and its memo file.
Texts ReadWithEngine(const std::string& table, const std::string& field) {
    xbase::DbfHandler dbf(table, true, false);
    xbase::MemoFile* memo = dbf.Memo();
    EXPECT_NE(memo, nullptr);
    Texts texts;
    if (memo == nullptr) return texts;
    for (std::int32_t r = 1; r <= dbf.RecordCount(); ++r) {
        dbf.GoTo(r);
        auto block = static_cast<std::int32_t>(dbf.GetFieldNumber(dbf.FieldNumber(field)));
        texts[r] = memo->ReadMemoText(block);
    }
    return texts;
}

const char* kMakeTables = R"PY(
import dbf
texts = ['', 'short memo', 'y' * 700, 'z' * 3000, '中文备注：发票', 'line one\r\nline two']
for kind, name in (('db3', 't3'), ('fp', 'tf'), ('vfp', 'tv')):
    t = dbf.Table(FOLDER + '/' + name, 'NAME C(10); NOTES M', dbf_type=kind, codepage='cp936')
    t.open(dbf.READ_WRITE)
    for i, text in enumerate(texts):
        t.append(('r%d' % i, text))
    t.close()
for i, text in enumerate(texts):
    print(i + 1, text.encode('gbk').hex())
)PY";

std::string WithFolder(std::string script, const std::string& folder) {
    std::string::size_type at;
    while ((at = script.find("FOLDER")) != std::string::npos) {
        script.replace(at, 6, "'" + folder + "'");
    }
    return script;
}

TEST(MemoPeers, Python3DbfTablesOfEachKindReadIdentically) {
    tabletest::TempDir dir;
    Texts expected = ParseLines(memotest::RunPython(WithFolder(kMakeTables, dir.path())));
    ASSERT_EQ(expected.size(), 6u);
    for (const char* name : {"t3.dbf", "tf.dbf", "tv.dbf"}) {
        EXPECT_EQ(ReadWithEngine(dir.file(name), "NOTES"), expected) << name;
    }
}

const char* kManifestMemos = R"PY(
import json
m = json.load(open(FIXTURES + '/peer-xbase/MANIFEST.json'))
for rec in m['fixtures'][KEY]['records']:
    print(rec[0], rec[8].encode('latin-1').hex())
)PY";

Texts ManifestMemos(const std::string& key) {
    std::string script = kManifestMemos;
    script.replace(script.find("FIXTURES"), 8, std::string("'") + TAXBRIDGE_FIXTURES_DIR + "'");
    script.replace(script.find("KEY"), 3, "'" + key + "'");
    return ParseLines(memotest::RunPython(script));
}

TEST(MemoPeers, HarbourMemoFilesReadIdenticallyBeforeAndAfterItsEdits) {
    const std::pair<const char*, const char*> sets[] = {
        {"p1_cdx_fpt32", "fox32.dbf"},         {"p1_cdx_fpt512", "fox512.dbf"},
        {"p2_ntx_fpt32", "clip.dbf"},          {"p2_ntx_dbt", "clipdbt.dbf"},
        {"p4_cdx_fpt32_edited", "fox32e.dbf"}, {"p4_ntx_fpt32_edited", "clipe.dbf"},
    };
    for (const auto& [key, file] : sets) {
        Texts expected = ManifestMemos(key);
        ASSERT_GE(expected.size(), 500u) << key;
        Texts got =
            ReadWithEngine(std::string(TAXBRIDGE_FIXTURES_DIR) + "/peer-xbase/" + file, "REMARK");
        EXPECT_EQ(got.size(), expected.size()) << key;
        for (const auto& [recno, text] : expected) {
            EXPECT_EQ(got[recno], text) << key << " record " << recno;
        }
    }
}

// Rewrites the memo of every record through the engine, as the field layer does: block
// number from the record, write, block number back into the record.
void WriteWithEngine(const std::string& table, const Texts& texts) {
    xbase::DbfHandler dbf(table, true, true);
    xbase::MemoFile* memo = dbf.Memo();
    ASSERT_NE(memo, nullptr);
    int field = dbf.FieldNumber("NOTES");
    for (const auto& [recno, text] : texts) {
        dbf.GoTo(recno);
        auto block = static_cast<std::int32_t>(dbf.GetFieldNumber(field));
        memo->WriteMemo(text, block);
        // No memo: blanks in text-stored fields, as other programs write it.
        if (text.empty() && dbf.Version() != 0x30) {
            dbf.PutFieldRaw(field, "");
        } else {
            dbf.PutFieldNumber(field, text.empty() ? 0 : block);
        }
        dbf.ReplaceRecord(recno);
    }
}

const char* kReadBack = R"PY(
import dbf, dbfread
for name in ('t3', 'tf', 'tv'):
    t = dbf.Table(FOLDER + '/' + name)
    t.open(dbf.READ_ONLY)
    for i, rec in enumerate(t):
        print(name, 'dbf', i + 1, (rec.notes or '').encode('gbk').hex())
    t.close()
    for i, rec in enumerate(dbfread.DBF(FOLDER + '/' + name + '.dbf', encoding='gbk')):
        print(name, 'dbfread', i + 1, (rec['NOTES'] or '').encode('gbk').hex())
)PY";

TEST(MemoPeers, MemosWrittenHereReadIdenticallyInPython3DbfAndDbfread) {
    tabletest::TempDir dir;
    memotest::RunPython(WithFolder(kMakeTables, dir.path()));
    // Grow, shrink, clear and fill: in place, moved to the end, and new.
    Texts texts = {{1, "now filled"},
                   {2, std::string(1100, 'g')},
                   {3, "shrunk"},
                   {4, ""},
                   {5, "\xB7\xA2\xC6\xB1\xB1\xB8\xD7\xA2 GBK \xD6\xD0\xCE\xC4"},
                   {6, std::string(5000, 'w') + "\r\nend"}};
    for (const char* name : {"t3.dbf", "tf.dbf", "tv.dbf"}) {
        WriteWithEngine(dir.file(name), texts);
        EXPECT_EQ(ReadWithEngine(dir.file(name), "NOTES"), texts) << name;
    }
    std::istringstream out(memotest::RunPython(WithFolder(kReadBack, dir.path())));
    std::string table, reader, hex;
    int recno = 0, lines = 0;
    while (out >> table >> reader >> recno) {
        std::getline(out, hex);
        hex.erase(0, hex.find_first_not_of(' '));
        ++lines;
        EXPECT_EQ(memotest::FromHex(hex), texts[recno]) << table << ' ' << reader << ' ' << recno;
    }
    EXPECT_EQ(lines, 36);
}

}  // namespace
