// Compound index files of a table: the empty file, tags built and kept current through
// record writes (the peer engine's files and our own, under random edits), the change
// counter, "GENERAL" collation tags, hostile headers, and a writer killed mid-append.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "../table/TableTestSupport.h"
#include "xbase/cursor/DbfHandler.h"
#include "xbase/file/EngineError.h"
#include "xbase/index/IndexCheck.h"
#include "xbase/index/cdx/CdxFile.h"

using namespace xbase::cdx;
using tabletest::TempDir;

namespace {

const std::string kPeer = std::string(TAXBRIDGE_FIXTURES_DIR) + "/peer-xbase/";

std::vector<std::uint32_t> Walk(CdxTag& tag) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t r = tag.Top(); r != 0; r = tag.Next()) out.push_back(r);
    return out;
}

// Opens `path` into the table's index slots, so that the table's writes keep it current.
CdxFile& Kept(xbase::DbfHandler& t, const std::string& path) {
    EXPECT_EQ(t.OpenIndexFile(path), 0) << path;
    for (int slot = xbase::DbfHandler::kIndexSlots; slot >= 1; --slot) {
        if (t.IndexSlot(slot) != nullptr) return dynamic_cast<CdxFile&>(*t.IndexSlot(slot));
    }
    throw std::runtime_error("no index slot holds " + path);
}

// A new, empty compound index of the table in its index slots.
CdxFile& Created(xbase::DbfHandler& t, const std::string& path) {
    {
        CdxFile made(t, path);
        made.Create();
    }
    return Kept(t, path);
}

// `except` names a tag left out: the peer's UPPER() also changes the second byte of a
// double-byte character, ours leaves such characters whole, so the peer's keys of those
// records are not the keys our expressions give.
void ExpectSound(CdxFile& cdx, const std::string& when, const std::string& except = "") {
    for (const auto& tag : cdx.Tags()) {
        if (tag->Name() != except) {
            EXPECT_EQ(xbase::CheckTag(*tag), "") << tag->Name() << " " << when;
        }
    }
}

// Walks of every tag that is not unique (a unique tag may keep an earlier record than a
// rebuild would).
std::vector<std::vector<std::uint32_t>> NonUniqueWalks(CdxFile& cdx,
                                                       const std::string& except = "") {
    std::vector<std::vector<std::uint32_t>> out;
    for (std::size_t i = 0; i < cdx.Tags().size(); ++i) {
        if (!cdx.TagAt(i).Unique() && cdx.TagAt(i).Name() != except)
            out.push_back(Walk(cdx.TagAt(i)));
    }
    return out;
}

TEST(CdxFile, ANewFileIsTheEmptyDirectoryOf1536Bytes) {
    TempDir dir;
    const std::string table = dir.path() + "/T.DBF";
    tabletest::WriteFile(table, tabletest::BuildTable(tabletest::SimpleShape({"A"})));
    xbase::DbfHandler handler(table, false, true);
    {
        CdxFile cdx(handler, dir.path() + "/T.CDX");
        cdx.Create();
    }
    const std::vector<std::uint8_t> bytes = tabletest::ReadFile(dir.path() + "/T.CDX");
    ASSERT_EQ(bytes.size(), 1536u);
    const std::vector<std::uint8_t> head = {0x00, 0x04, 0x00, 0x00, 0,    0,    0,    0,
                                            0,    0,    0,    0,    0x0A, 0x00, 0xE0, 0x01};
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 16), head);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 502, bytes.begin() + 512),
              (std::vector<std::uint8_t>{0, 0, 1, 0, 1, 0, 0, 0, 1, 0}));
    const std::vector<std::uint8_t> root = {0x03, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF,
                                            0xFF, 0xFF, 0xFF, 0xFF, 0xE8, 0x01, 0xFF, 0xFF,
                                            0x00, 0x00, 0x0F, 0x0F, 0x10, 0x04, 0x04, 0x03};
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 1024, bytes.begin() + 1048), root);
    std::size_t nonZero = 0;
    for (std::size_t i = 16; i < 1536; ++i)
        nonZero += bytes[i] != 0 && (i < 502 || i >= 512) && (i < 1024 || i >= 1048);
    EXPECT_EQ(nonZero, 0u);
}

// A copy of one of the peer engine's table sets in a temporary directory.
struct PeerCopy {
    TempDir dir;
    std::string table;
    std::string cdx;
    explicit PeerCopy(const std::string& base) {
        for (const char* ext : {".dbf", ".fpt", ".cdx"}) {
            const std::string from = kPeer + base + ext;
            if (!std::filesystem::exists(from)) continue;
            std::string upper = base;
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            std::string to = dir.path() + "/" + upper +
                             (ext == std::string(".dbf")   ? ".DBF"
                              : ext == std::string(".fpt") ? ".FPT"
                                                           : ".CDX");
            std::filesystem::copy_file(from, to);
            std::filesystem::permissions(to, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add);
            if (ext == std::string(".dbf")) table = to;
            if (ext == std::string(".cdx")) cdx = to;
        }
    }
};

// Rewrites record r through the handler, which keeps its index files current.
template <typename Change>
void Replace(xbase::DbfHandler& t, std::int32_t r, Change change) {
    t.GoTo(r);
    change();
    ASSERT_TRUE(t.ReplaceRecord(r));
}

template <typename Fill>
void Append(xbase::DbfHandler& t, Fill fill) {
    t.BlankRecord();
    fill();
    ASSERT_TRUE(t.AppendRecord());
}

TEST(CdxFile, EditsOnThePeersFilesKeepEveryTagSoundAndEqualToARebuild) {
    PeerCopy copy("fox32");
    xbase::DbfHandler t(copy.table, true, true);
    CdxFile& cdx = Kept(t, copy.cdx);
    ASSERT_EQ(cdx.TagCount(), 9);
    ExpectSound(cdx, "as the peer wrote it", "ITEMU");
    const std::uint32_t counter = cdx.ChangeCounter();
    std::mt19937 rng(500);
    for (int i = 0; i < 15; ++i) {
        Append(t, [&] {
            t.PutFieldRaw(
                "ITEM", i % 3 == 0 ? "Hex Bolt M6" : "Appended item " + std::to_string(rng() % 40));
            t.PutFieldRaw("SKU", i % 2 == 0 ? "HB-0006" : "AP-" + std::to_string(i));
            t.PutFieldNumber("QTY", static_cast<double>(static_cast<int>(rng() % 40) - 10));
            t.PutFieldNumber("COST", (static_cast<double>(rng() % 200000) - 100000) / 1000.0);
            t.PutFieldRaw("SOLD", i % 4 == 0 ? "        " : "2001031" + std::to_string(i % 10));
        });
    }
    for (std::int32_t r : {1, 6, 8, 12, 14, 20, 55, 123, 250, 333, 444, 499}) {
        Replace(t, r, [&] {
            t.PutFieldRaw("ITEM", "Changed " + std::to_string(r % 7));
            t.PutFieldRaw("SKU", r % 2 == 0 ? "XK123456" : "CH-" + std::to_string(r));
            t.PutFieldNumber("QTY", static_cast<double>(r % 23) - 3);
            t.PutFieldNumber("COST", -static_cast<double>(r) / 8.0);
        });
    }
    for (std::int32_t r : {2, 9, 30, 100, 201, 400, 505}) Replace(t, r, [&] { t.DeleteRecord(); });
    ExpectSound(cdx, "after the edits", "ITEMU");
    EXPECT_NE(cdx.ChangeCounter(), counter);
    const auto edited = NonUniqueWalks(cdx, "ITEMU");
    cdx.Reindex();
    ExpectSound(cdx, "after the rebuild");
    EXPECT_EQ(NonUniqueWalks(cdx, "ITEMU"), edited);
}

tabletest::TableShape CodePriceShape(int records) {
    tabletest::TableShape shape;
    shape.fields = {{"CODE", 'C', 10, 0}, {"PRICE", 'N', 12, 2}, {"DAY", 'D', 8, 0}};
    std::mt19937 rng(records);
    for (int i = 0; i < records; ++i) {
        char price[16];
        std::snprintf(price, sizeof price, "%12.2f",
                      (static_cast<double>(rng() % 2000000) - 1000000) / 100.0);
        char day[16];
        std::snprintf(day, sizeof day, "2024%02u%02u", static_cast<unsigned>(1 + rng() % 12),
                      static_cast<unsigned>(1 + rng() % 28));
        shape.records.push_back(tabletest::Pad("C" + std::to_string(rng() % 700), 10) + price +
                                (i % 9 == 0 ? std::string(8, ' ') : std::string(day)));
    }
    return shape;
}

TEST(CdxFile, TenThousandRandomEditsLeaveEveryNodeSound) {
    TempDir dir;
    const std::string path = dir.path() + "/EDITS.DBF";
    tabletest::WriteFile(path, tabletest::BuildTable(CodePriceShape(1500)));
    xbase::DbfHandler t(path, false, true);
    CdxFile& cdx = Created(t, dir.path() + "/EDITS.CDX");
    cdx.AddTag({"CODE", "CODE", "", false, false});
    cdx.AddTag({"PRICE", "PRICE", "", false, true});
    cdx.AddTag({"CODEU", "UPPER(CODE)", "", true, false});
    cdx.AddTag({"DEAR", "DTOS(DAY)+CODE", "PRICE > 0", false, false});
    ExpectSound(cdx, "after the build");
    std::mt19937 rng(10000);
    for (int edit = 1; edit <= 10000; ++edit) {
        const int kind = static_cast<int>(rng() % 10);
        char price[16];
        std::snprintf(price, sizeof price, "%.2f",
                      (static_cast<double>(rng() % 2000000) - 1000000) / 100.0);
        const std::string code = "C" + std::to_string(rng() % 700);
        if (kind < 3) {
            Append(t, [&] {
                t.PutFieldRaw("CODE", code);
                t.PutFieldText("PRICE", price);
            });
        } else {
            const auto r =
                static_cast<std::int32_t>(1 + rng() % static_cast<unsigned>(t.RecordCount()));
            Replace(t, r, [&] {
                if (kind == 9) {
                    t.DeleteRecord();
                } else {
                    if (kind % 2 == 0) t.PutFieldRaw("CODE", code);
                    t.PutFieldText("PRICE", price);
                }
            });
        }
        if (edit % 2500 == 0) ExpectSound(cdx, "after " + std::to_string(edit) + " edits");
    }
    const auto edited = NonUniqueWalks(cdx);
    cdx.Reindex();
    ExpectSound(cdx, "after the rebuild");
    EXPECT_EQ(NonUniqueWalks(cdx), edited);
}

TEST(CdxFile, GeneralCollationTagsAreReadButNeverWritten) {
    PeerCopy copy("fox32");
    {
        std::vector<std::uint8_t> bytes = tabletest::ReadFile(copy.cdx);
        bytes[7168 + 15] = 2;  // the SKU tag's signature: general collation
        std::copy_n("GENERAL", 7, bytes.begin() + 7168 + 494);
        tabletest::WriteFile(copy.cdx, bytes);
    }
    xbase::DbfHandler t(copy.table, true, true);
    CdxFile cdx(t, copy.cdx);
    cdx.Open();
    CdxTag* sku = cdx.FindCdxTag("sku");
    ASSERT_NE(sku, nullptr);
    EXPECT_TRUE(sku->ReadOnly());
    EXPECT_EQ(Walk(*sku).size(), 500u);
    t.GoTo(1);
    const std::vector<std::uint8_t> before = tabletest::ReadFile(copy.cdx);
    try {
        xbase::RecordWrite write;
        write.recNo = 1;
        write.newRecord = write.oldRecord = t.RecordBuffer();
        cdx.RecordWritten(write);
        FAIL() << "a write reached a GENERAL collation tag";
    } catch (const xbase::XBaseError& e) {
        EXPECT_STREQ(e.what(), "Index tag SKU uses the GENERAL collation and can only be read");
    }
    EXPECT_EQ(tabletest::ReadFile(copy.cdx), before);
    // Through the handler the write is refused before the table is touched.
    const std::vector<std::uint8_t> table = tabletest::ReadFile(copy.table);
    ASSERT_EQ(t.OpenIndexFile(copy.cdx), 0);
    t.GoTo(1);
    t.PutFieldText("COST", "1.5");
    EXPECT_THROW(t.ReplaceRecord(1), xbase::XBaseError);
    EXPECT_THROW(t.AppendRecord(), xbase::XBaseError);
    EXPECT_EQ(tabletest::ReadFile(copy.table), table);
    EXPECT_EQ(tabletest::ReadFile(copy.cdx), before);
}

TEST(CdxFile, HostileHeadersAreRefusedWith2112) {
    struct Case {
        const char* name;
        std::size_t at;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"directory root zero", 0, {0, 0, 0, 0}},
        {"directory root off a page", 0, {0x10, 0x04, 0, 0}},
        {"directory root beyond the file", 0, {0, 0, 0, 0x10}},
        {"directory key length over 240", 12, {0xF1, 0x00}},
        {"tag root beyond the file", 1536, {0, 0, 0, 0x10}},
        {"tag key length zero", 1536 + 12, {0, 0}},
        {"tag without key expression", 1536 + 512, {0}},
        {"directory leaf with a bad mask", 1024 + 18, {0x1F}},
    };
    for (const auto& c : cases) {
        PeerCopy copy("fox32");
        std::vector<std::uint8_t> bytes = tabletest::ReadFile(copy.cdx);
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + static_cast<long>(c.at));
        tabletest::WriteFile(copy.cdx, bytes);
        xbase::DbfHandler t(copy.table, true, true);
        try {
            CdxFile cdx(t, copy.cdx);
            cdx.Open();
            ADD_FAILURE() << c.name << ": opened";
        } catch (const xbase::XBaseError& e) {
            EXPECT_EQ(e.code(), 2112) << c.name << ": " << e.what();
        }
    }
}

TEST(CdxFile, AReaderSeesAnotherHandlesAppendsRebuildAndTagDeletionThroughTheCounter) {
    TempDir dir;
    const std::string path = dir.path() + "/SHARED.DBF";
    const std::string index = dir.path() + "/SHARED.CDX";
    tabletest::WriteFile(path, tabletest::BuildTable(CodePriceShape(200)));
    xbase::DbfHandler writer(path, true, true);
    CdxFile& written = Created(writer, index);
    written.AddTag({"CODE", "CODE", "", false, false});
    written.AddTag({"PRICE", "PRICE", "", false, true});
    xbase::DbfHandler reader(path, true, false);
    CdxTag* code = Kept(reader, index).FindCdxTag("CODE");
    ASSERT_NE(code, nullptr);
    const xbase::IndexKey fresh = xbase::IndexKey::Text("ZZ-NEW");
    EXPECT_EQ(code->Search(fresh), 1);
    Append(writer, [&] { writer.PutFieldRaw("CODE", "ZZ-NEW"); });
    EXPECT_EQ(code->Search(fresh), 0);
    EXPECT_EQ(code->CurrentRecNo(), 201u);
    written.Reindex();  // every tag moves to new pages
    EXPECT_EQ(code->Search(fresh), 0);
    EXPECT_EQ(Walk(*code).size(), 201u);
    written.DeleteTag("CODE");
    try {
        code->Top();
        ADD_FAILURE() << "a deleted tag was walked";
    } catch (const xbase::XBaseError& e) {
        EXPECT_STREQ(e.what(), "Index tag CODE was deleted by another program");
    }
}

TEST(CdxFile, AWriterKilledMidAppendLeavesAnIndexThatChecksOrRebuilds) {
    TempDir dir;
    const std::string path = dir.path() + "/CRASH.DBF";
    const std::string index = dir.path() + "/CRASH.CDX";
    tabletest::WriteFile(path, tabletest::BuildTable(CodePriceShape(300)));
    {
        xbase::DbfHandler t(path, true, true);
        CdxFile& cdx = Created(t, index);
        cdx.AddTag({"CODE", "CODE", "", false, false});
        cdx.AddTag({"PRICE", "PRICE", "", false, false});
    }
    std::mt19937 rng(200);
    int stale = 0;
    for (int round = 0; round < 200; ++round) {
        const pid_t child = tabletest::Spawn([&] {
            xbase::DbfHandler t(path, true, true);
            Kept(t, index);
            for (int i = 0;; ++i) {
                Append(t, [&] {
                    t.PutFieldRaw("CODE", "K" + std::to_string(i % 997));
                    t.PutFieldNumber("PRICE", i * 0.25);
                });
            }
            return 0;
        });
        ::usleep(static_cast<useconds_t>(2000 + rng() % 20000));
        ::kill(child, SIGKILL);
        tabletest::ExitCode(child);
        xbase::DbfHandler t(path, true, true);
        CdxFile& cdx = Kept(t, index);
        bool sound = true;
        for (const auto& tag : cdx.Tags()) {
            if (xbase::CheckTag(*tag).empty()) continue;
            sound = false;
            EXPECT_TRUE(tag->Name() == "CODE" || tag->Name() == "PRICE") << tag->Name();
        }
        if (sound) continue;
        ++stale;
        cdx.Reindex();
        ExpectSound(cdx, "after the rebuild of round " + std::to_string(round));
    }
    RecordProperty("stale_rounds", stale);
}

}  // namespace
