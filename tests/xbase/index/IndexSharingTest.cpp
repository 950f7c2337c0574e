// Two processes on one table and its index: one appends under the index lock while the
// other walks and seeks; the reader never meets a torn node and sees the new keys.
#include <gtest/gtest.h>
#include <unistd.h>

#include "IndexTestSupport.h"
#include "xbase/file/EngineError.h"
#include "xbase/index/IndexCheck.h"
#include "xbase/index/IndexFile.h"

namespace {

TEST(IndexSharingTest, AReaderWalksWhileAnotherProcessAppends) {
    tabletest::TempDir dir;
    const std::string path = indextest::WriteKeyTable(dir, "T.DBF", {{"M0000", 0}});
    {
        xbase::DbfHandler table(path, true, true);
        table.CreateIndex(dir.file("NAMES.NDX"), "", "NAME", "", false, false);
    }
    constexpr int kAppends = 400;
    const pid_t writer = tabletest::Spawn([&] {
        xbase::DbfHandler table(path, true, true);
        table.OpenIndexFile("NAMES.NDX");
        for (int i = 1; i <= kAppends; ++i) {
            // Keys spread over the whole tag, so splits happen everywhere.
            const int spread = (i * 7919) % 10000;
            char name[8];
            std::snprintf(name, sizeof name, "K%04d", spread);
            indextest::Append(table, name, i);
        }
        return 0;
    });
    xbase::DbfHandler reader(path, true, false);
    reader.OpenIndexFile("NAMES.NDX");
    reader.SelectTag("NAMES");
    std::size_t seen = 0;
    int rounds = 0;
    for (;;) {
        const std::vector<std::int32_t> walk = indextest::Walk(reader);
        // Every walk is in key order.
        std::string previous;
        for (std::int32_t rec : walk) {
            reader.GoTo(rec);
            const std::string name = reader.GetFieldText("NAME");
            ASSERT_LE(previous, name);
            previous = name;
        }
        ASSERT_GE(walk.size(), seen);
        seen = walk.size();
        reader.SeekKey("K");
        ++rounds;
        if (seen == kAppends + 1) break;
        int status = 0;
        if (rounds > 100000) break;
        if (::waitpid(writer, &status, WNOHANG) == writer) {
            EXPECT_EQ(WEXITSTATUS(status), 0);
            // One more walk sees everything.
            EXPECT_EQ(indextest::Walk(reader).size(), static_cast<std::size_t>(kAppends + 1));
            return;
        }
    }
    EXPECT_EQ(tabletest::ExitCode(writer), 0);
    EXPECT_EQ(seen, static_cast<std::size_t>(kAppends + 1));
    EXPECT_EQ(xbase::CheckTag(*reader.TagByOrdinal(1)), "");
}

}  // namespace
