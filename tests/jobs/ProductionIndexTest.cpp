// A machine table that keeps a production index (a FoxPro .CDX beside it, flagged in the
// header): the refreshes keep every tag of it current, so the machine's program finds
// its index equal to a rebuild; a production index that is gone stops the refresh before
// any table changes.
#include <filesystem>

#include "JobTestSupport.h"
#include "jobs/CustomerRefresh.h"
#include "jobs/MainContext.h"
#include "jobs/ProductRefresh.h"
#include "jobs/ReportedRun.h"
#include "xbase/cursor/DbfHandler.h"
#include "xbase/index/IndexCheck.h"
#include "xbase/index/IndexFile.h"
#include "xbase/index/IndexTag.h"

namespace jobs::test {
namespace {

using Job = void (*)(MainContext&, JobReporter&, const RefreshOptions&);

struct TagSpec {
    const char* name;
    const char* key;
    const char* forExpression;
};

struct TableCase {
    const char* table;
    const char* index;
    std::vector<TagSpec> tags;
};

// Index files are made with upper-case names, as the engine makes new files.
const TableCase kCases[] = {
    {"ke_hu.dbf",
     "KE_HU.CDX",
     {{"NSR_NO", "NSR_NO", ""}, {"NAME", "DW_NAME", ""}, {"LIVE", "NSR_NO", ".NOT. DELETED()"}}},
    {"BANK.dbf", "BANK.CDX", {{"NSR_NO", "NSR_NO", ""}}},
    {"detail.dbf",
     "DETAIL.CDX",
     {{"XYZ", "XYZ", ""}, {"PRICE", "PRICE", ""}, {"NAMEPRICE", "NAME+STR(PRICE,10,2)", ""}}},
};

class ProductionIndexTest : public JobTest {
protected:
    bool Run(Job job, RecordingReporter& reporter) {
        MainContext main;
        EXPECT_TRUE(main.FormShow(reporter));
        return RunReported(reporter, [&] { job(main, reporter, RefreshOptions{}); });
    }

    void MakeIndex(const TableCase& c, const std::string& file) {
        xbase::DbfHandler table(TablePath(c.table), false, true);
        for (const TagSpec& tag : c.tags) {
            table.CreateIndex(TablePath(file), tag.name, tag.key, tag.forExpression, false, false);
        }
    }

    // Every record (deleted ones too) in the tag's order.
    static std::vector<std::int32_t> Walk(xbase::DbfHandler& table, const std::string& tag) {
        table.SelectTag(tag);
        std::vector<std::int32_t> records;
        for (table.GoTo(xbase::move::First); !table.Eof(); table.GoTo(xbase::move::Next)) {
            records.push_back(table.CurrentRecord());
        }
        return records;
    }
};

TEST_P(ProductionIndexTest, TheRefreshKeepsEveryTagEqualToARebuild) {
    for (const TableCase& c : kCases) {
        SCOPED_TRACE(c.table);
        MakeIndex(c, c.index);
        ASSERT_NE(FileBytes(TablePath(c.table)).at(28) & 0x01, 0) << "production flag";
    }
    for (Job job : {&CustomerRefresh, &ProductRefresh}) {
        RecordingReporter reporter;
        ASSERT_TRUE(Run(job, reporter)) << (reporter.errors.empty() ? "" : reporter.errors[0]);
    }

    for (const TableCase& c : kCases) {
        SCOPED_TRACE(c.table);
        std::vector<std::vector<std::int32_t>> kept;
        {
            xbase::DbfHandler table(TablePath(c.table), true, false);
            table.SetUseDeleted(true);
            ASSERT_EQ(table.OpenIndexFile(TablePath(c.index)), 0);
            for (int n = 1; n <= table.TagCount(); ++n) {
                EXPECT_EQ(xbase::CheckTag(*table.TagByOrdinal(n)), "")
                    << table.TagByOrdinal(n)->Name();
            }
            for (const TagSpec& tag : c.tags) kept.push_back(Walk(table, tag.name));
            // The refresh appended records: the index holds more than it was built with.
            EXPECT_GT(kept[0].size(), 0u);
            EXPECT_EQ(kept[0].size(), static_cast<std::size_t>(table.RecordCount()));
        }
        const std::string rebuilt = std::string("R") + c.index;
        MakeIndex(c, rebuilt);
        xbase::DbfHandler table(TablePath(c.table), true, false);
        table.SetUseDeleted(true);
        ASSERT_EQ(table.OpenIndexFile(TablePath(rebuilt)), 0);
        for (std::size_t i = 0; i < c.tags.size(); ++i) {
            EXPECT_EQ(Walk(table, c.tags[i].name), kept[i]) << c.tags[i].name;
        }
    }
}

TEST_P(ProductionIndexTest, AMissingProductionIndexStopsTheRefreshBeforeAnyTableChanges) {
    MakeIndex(kCases[1], kCases[1].index);
    ASSERT_TRUE(std::filesystem::remove(TablePath(kCases[1].index)));
    const auto customers = FileBytes(TablePath("ke_hu.dbf"));
    const auto banks = FileBytes(TablePath("BANK.dbf"));
    RecordingReporter reporter;
    EXPECT_FALSE(Run(&CustomerRefresh, reporter));
    ASSERT_EQ(reporter.errors.size(), 1u);
    EXPECT_NE(reporter.errors[0].find("BANK.CDX of table"), std::string::npos)
        << reporter.errors[0];
    EXPECT_NE(reporter.errors[0].find(" is missing; the table is not written"), std::string::npos)
        << reporter.errors[0];
    EXPECT_NE(reporter.errors[0].find(". No table was changed."), std::string::npos)
        << reporter.errors[0];
    EXPECT_EQ(FileBytes(TablePath("ke_hu.dbf")), customers);
    EXPECT_EQ(FileBytes(TablePath("BANK.dbf")), banks);
}

INSTANTIATE_FOR_BACKENDS(ProductionIndexTest);

}  // namespace
}  // namespace jobs::test
