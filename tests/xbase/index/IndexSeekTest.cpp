// Seeks answered from the pages as stored (NTX, MDX, NDX): they must see what another
// handle wrote to a shared file, and follow the handle's own writes while it keeps pages
// of an exclusively opened file in memory.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "IndexTestSupport.h"
#include "xbase/file/EngineError.h"
#include "xbase/index/IndexBytes.h"
#include "xbase/index/IndexTag.h"

namespace {

const char* const kFormats[] = {".NTX", ".MDX", ".NDX"};

std::string Name(int n) {
    char text[8];
    std::snprintf(text, sizeof text, "%c%05d", 'A' + n % 26, n);
    return text;
}

// 1500 records NAME = Name(i), QTY = i: trees of two or three levels in every format.
std::string WriteTable(const tabletest::TempDir& dir) {
    std::vector<std::pair<std::string, int>> rows;
    for (int i = 0; i < 1500; ++i) rows.emplace_back(Name(i), i);
    return indextest::WriteKeyTable(dir, "T.DBF", rows);
}

void Open(xbase::DbfHandler& table, const std::string& file) {
    ASSERT_EQ(table.OpenIndexFile(file), 0);
    table.SelectTag(table.TagByOrdinal(1)->Name());
}

// The record a seek of `key` finds, 0 when none.
std::int32_t SeekRecord(xbase::DbfHandler& table, const std::string& key) {
    return table.SeekKey(key) ? table.CurrentRecord() : 0;
}

TEST(IndexSeekTest, ASharedReaderSeesAnotherHandlesWrites) {
    for (const char* format : kFormats) {
        SCOPED_TRACE(format);
        tabletest::TempDir dir;
        const std::string path = WriteTable(dir);
        const std::string file = dir.file(std::string("NAMES") + format);
        {
            xbase::DbfHandler table(path, false, true);
            table.CreateIndex(file, "NAMES", "NAME", "", false, false);
        }
        xbase::DbfHandler writer(path, true, true);
        Open(writer, file);
        xbase::DbfHandler reader(path, true, false);
        Open(reader, file);
        // Every page of the tag read once (and kept where the format may keep it).
        for (int i = 0; i < 1500; ++i) ASSERT_EQ(SeekRecord(reader, Name(i)), i + 1);

        indextest::Change(writer, 700, "Z99999", 0);
        EXPECT_EQ(SeekRecord(reader, Name(699)), 0);
        EXPECT_EQ(SeekRecord(reader, "Z99999"), 700);
        // Appends that split the pages around B00027.
        for (int i = 0; i < 300; ++i)
            indextest::Append(writer, "B0002" + std::to_string(i % 10) + "X", 0);
        EXPECT_EQ(SeekRecord(reader, Name(27)), 28);
        EXPECT_EQ(SeekRecord(reader, "B00020X"), 1501);
        EXPECT_EQ(SeekRecord(reader, "B00029X"), 1510);
        EXPECT_EQ(SeekRecord(reader, "Z99999"), 700);
        EXPECT_EQ(SeekRecord(reader, Name(1499)), 1500);
    }
}

TEST(IndexSeekTest, ExclusiveSeeksFollowTheHandlesOwnWrites) {
    for (const char* format : kFormats) {
        for (const char* key : {"NAME", "QTY"}) {
            SCOPED_TRACE(std::string(format) + " " + key);
            tabletest::TempDir dir;
            const std::string path = WriteTable(dir);
            xbase::DbfHandler table(path, false, true);
            table.CreateIndex(dir.file(std::string("KEYS") + format), "KEYS", key, "", false,
                              false);
            table.SelectTag(table.TagByOrdinal(1)->Name());
            // Keys as the seek takes them, per record (1-based); every key is unique.
            std::vector<std::string> keys(1);
            auto keyOf = [&](int n) { return key[0] == 'N' ? Name(n) : std::to_string(n); };
            for (int i = 0; i < 1500; ++i) keys.push_back(keyOf(i));
            for (std::size_t r = 1; r < keys.size(); r += 7)
                ASSERT_EQ(SeekRecord(table, keys[r]), static_cast<std::int32_t>(r));
            std::mt19937 random(17);
            int next = 1500;
            for (int step = 0; step < 400; ++step) {
                const int n = next++;
                std::int32_t record = 0;
                if (step % 3 == 0) {
                    record = indextest::Append(table, Name(n), n);
                    keys.push_back(keyOf(n));
                } else {
                    record = static_cast<std::int32_t>(random() % (keys.size() - 1) + 1);
                    const std::string old = keys[static_cast<std::size_t>(record)];
                    indextest::Change(table, record, Name(n), n);
                    keys[static_cast<std::size_t>(record)] = keyOf(n);
                    ASSERT_EQ(SeekRecord(table, old), 0) << "step " << step;
                }
                ASSERT_EQ(SeekRecord(table, keyOf(n)), record) << "step " << step;
                const auto other = static_cast<std::int32_t>(random() % (keys.size() - 1) + 1);
                ASSERT_EQ(SeekRecord(table, keys[static_cast<std::size_t>(other)]), other)
                    << "step " << step;
            }
        }
    }
}

// The byte offset of the root page and the unit its children are counted in.
struct RootPage {
    std::size_t at = 0;
    std::uint32_t unit = 1;
};

RootPage RootOf(const std::string& format, const std::vector<std::uint8_t>& b) {
    namespace bytes = xbase::bytes;
    if (format == ".NTX") return {bytes::GetLe32(&b[4]), 1};
    if (format == ".NDX") return {bytes::GetLe32(&b[0]) * std::size_t{512}, 512};
    const std::uint32_t tagHeader = bytes::GetLe32(&b[544]);  // the first tag's header page
    return {bytes::GetLe32(&b[tagHeader * std::size_t{512}]) * std::size_t{512}, 512};
}

// Where the last child of the root page is stored (the child-only item after its keys).
std::size_t LastChildAt(const std::string& format, const std::vector<std::uint8_t>& b,
                        std::size_t root) {
    namespace bytes = xbase::bytes;
    if (format == ".NTX")
        return root + bytes::GetLe16(&b[root + 2 + 2 * std::size_t{bytes::GetLe16(&b[root])}]);
    const std::size_t keys = bytes::GetLe32(&b[root]);
    if (format == ".NDX") return root + 4 + keys * bytes::GetLe16(&b[18]);
    return root + 8 + keys * bytes::GetLe16(&b[bytes::GetLe32(&b[544]) * std::size_t{512} + 18]);
}

TEST(IndexSeekTest, ASeekThroughADamagedPageFailsWith2112) {
    using Damage = std::function<void(const std::string&, std::vector<std::uint8_t>&, RootPage)>;
    const std::vector<std::pair<const char*, Damage>> damages = {
        {"key count above the page",
         [](const std::string& f, std::vector<std::uint8_t>& b, RootPage r) {
             if (f == ".NTX") {
                 xbase::bytes::PutLe16(&b[r.at], 0xFFFF);
             } else {
                 xbase::bytes::PutLe32(&b[r.at], 0xFFFF);
             }
         }},
        {"last child is the root",
         [](const std::string& f, std::vector<std::uint8_t>& b, RootPage r) {
             xbase::bytes::PutLe32(&b[LastChildAt(f, b, r.at)],
                                   static_cast<std::uint32_t>(r.at / r.unit));
         }},
        {"last child beyond the file",
         [](const std::string& f, std::vector<std::uint8_t>& b, RootPage r) {
             xbase::bytes::PutLe32(&b[LastChildAt(f, b, r.at)], 0x7FFFFC00u / r.unit);
         }},
    };
    for (const char* format : kFormats) {
        for (const auto& [what, damage] : damages) {
            for (const bool shared : {true, false}) {
                SCOPED_TRACE(std::string(format) + " " + what +
                             (shared ? " shared" : " exclusive"));
                tabletest::TempDir dir;
                const std::string path = WriteTable(dir);
                const std::string file = dir.file(std::string("NAMES") + format);
                {
                    xbase::DbfHandler table(path, false, true);
                    table.CreateIndex(file, "NAMES", "NAME", "", false, false);
                }
                std::vector<std::uint8_t> b;
                {
                    std::ifstream in(file, std::ios::binary);
                    b.assign(std::istreambuf_iterator<char>(in), {});
                }
                damage(format, b, RootOf(format, b));
                std::ofstream(file, std::ios::binary | std::ios::trunc)
                    .write(reinterpret_cast<const char*>(b.data()),
                           static_cast<std::streamsize>(b.size()));
                xbase::DbfHandler table(path, shared, false);
                int code = 0;
                try {
                    // Selecting the tag goes to its top (through a damaged root); the seek
                    // of a key past the last goes down the root's last child.
                    Open(table, file);
                    table.SeekKey("Z99999");
                } catch (const xbase::XBaseError& e) {
                    code = e.code();
                }
                EXPECT_EQ(code, 2112);
            }
        }
    }
}

}  // namespace
