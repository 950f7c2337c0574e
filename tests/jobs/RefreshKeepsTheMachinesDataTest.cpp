// The refreshes never lose or hide the machine's data: a record held by the machine's
// program, an empty answer from the sales system or key values that would collide once
// cut leave every table byte for byte as it was; values stored changed are reported.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ChildProcess.h"
#include "JobTestSupport.h"
#include "appserver/DemoData.h"
#include "jobs/CustomerRefresh.h"
#include "jobs/MainContext.h"
#include "jobs/ProductRefresh.h"
#include "jobs/ReportedRun.h"
#include "jobs/demo/DemoMachineFolder.h"
#include "jobs/demo/MachineLayouts.h"
#include "xbase/cursor/DbfHandler.h"

namespace jobs::test {
namespace {

using Job = void (*)(MainContext&, JobReporter&, const RefreshOptions&);

const char* const kTables[] = {"ke_hu.dbf", "BANK.dbf", "detail.dbf"};

class RefreshKeepsTheMachinesDataTest : public JobTest {
protected:
    // Runs a job on a fresh main context; the context's tables are closed afterwards.
    bool Run(Job job, RecordingReporter& reporter, bool allowEmpty = false) {
        MainContext main;
        EXPECT_TRUE(main.FormShow(reporter));
        RefreshOptions options;
        options.allowEmpty = allowEmpty;
        return RunReported(reporter, [&] { job(main, reporter, options); });
    }
    std::vector<std::vector<std::uint8_t>> Snapshot() {
        std::vector<std::vector<std::uint8_t>> bytes;
        for (const char* table : kTables) bytes.push_back(FileBytes(TablePath(table)));
        return bytes;
    }
    // Whether another process can lock every record of the table.
    bool AllRecordsFree(const std::string& table) {
        const std::string path = TablePath(table);
        return platform_test::runInChild([&] {
                   xbase::DbfHandler other(path, true, true);
                   for (std::int32_t r = 1; r <= other.RecordCount(); ++r) {
                       other.GoTo(r);
                       if (!other.RecordLock()) return 1;
                       other.Unlock();
                   }
                   return 0;
               }) == 0;
    }
};

TEST_P(RefreshKeepsTheMachinesDataTest, ARecordHeldElsewhereStopsTheRefreshBeforeAnyTableChanges) {
    const struct {
        Job job;
        const char* table;
        std::int32_t record;
        const char* error;
    } cases[] = {
        {&CustomerRefresh, "ke_hu.dbf", 10,
         "Record is locked by another user: ke_hu.dbf record 10. No table was changed."},
        // The customers' locks are all taken when the bank table's is refused.
        {&CustomerRefresh, "BANK.dbf", 20,
         "Record is locked by another user: BANK.dbf record 20. No table was changed."},
        {&ProductRefresh, "detail.dbf", 5,
         "Record is locked by another user: detail.dbf record 5. No table was changed."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        jobs::demo::WriteDemoMachineFolder(taxDir_);
        ASSERT_FALSE(ReadDbf(TablePath(c.table)).records.at(c.record - 1).deleted);
        const auto before = Snapshot();
        const std::string path = TablePath(c.table);
        platform_test::HoldingChild machine([&] {
            auto* table = new xbase::DbfHandler(path, true, true);  // held until released
            table->GoTo(c.record);
            return table->RecordLock() ? 0 : 1;
        });
        ASSERT_EQ(machine.ready(), 0);

        RecordingReporter reporter;
        EXPECT_FALSE(Run(c.job, reporter));
        EXPECT_EQ(reporter.errors, std::vector<std::string>{c.error});
        EXPECT_EQ(Snapshot(), before);
        machine.release();
        for (const char* table : kTables) EXPECT_TRUE(AllRecordsFree(table)) << table;

        // Once the record is free the refresh runs, and keeps no lock afterwards.
        RecordingReporter again;
        EXPECT_TRUE(Run(c.job, again));
        EXPECT_TRUE(again.errors.empty());
        EXPECT_NE(Snapshot(), before);
        for (const char* table : kTables) EXPECT_TRUE(AllRecordsFree(table)) << table;
    }
}

TEST_P(RefreshKeepsTheMachinesDataTest, NoRowsFromTheSalesSystemLeaveTheTableUnlessAllowed) {
    const struct {
        Job job;
        const char* emptying;
        const char* error;
        // Live records of ke_hu.dbf, BANK.dbf, detail.dbf after the allowed run.
        std::vector<std::size_t> liveAfter;
    } cases[] = {
        {&CustomerRefresh,
         "DELETE FROM GSTDWGL0",
         "The sales system returned no customers: ke_hu.dbf keeps its records. No table was "
         "changed.",
         {0, 0, 28}},
        {&CustomerRefresh,
         "DELETE FROM GSTYHZH0",
         "The sales system returned no bank accounts: BANK.dbf keeps its records. No table was "
         "changed.",
         {30, 0, 28}},
        {&ProductRefresh,
         "DELETE FROM GSTJYGL1",
         "The sales system returned no products: detail.dbf keeps its records. No table was "
         "changed.",
         {27, 26, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.emptying);
        jobs::demo::WriteDemoMachineFolder(taxDir_);
        appserver::loadDemo(*session());
        run(c.emptying);
        const auto before = Snapshot();
        RecordingReporter reporter;
        EXPECT_FALSE(Run(c.job, reporter));
        EXPECT_EQ(reporter.errors, std::vector<std::string>{c.error});
        EXPECT_EQ(Snapshot(), before);

        RecordingReporter allowed;
        EXPECT_TRUE(Run(c.job, allowed, true));
        std::vector<std::size_t> live;
        for (const char* table : kTables) live.push_back(ReadDbf(TablePath(table)).Live().size());
        EXPECT_EQ(live, c.liveAfter);
    }
}

TEST_P(RefreshKeepsTheMachinesDataTest, ASalesServerWithoutItsDatabaseIsAnErrorAndNothingChanges) {
    // TESTSRV now names a database that does not exist (SQLite) or a schema without the
    // sales tables (PostgreSQL).
    std::ofstream conf(dir_ + "/servers.conf");
    if (GetParam() == appserver::test::BackendKind::Sqlite) {
        conf << "[TESTSRV]\nbackend = sqlite\nfile = missing.db\n";
    } else {
        conf << "[TESTSRV]\nbackend = postgresql\nconnection = " << settings_.connection
             << "\nschema = " << settings_.schema << "_none\n";
    }
    conf.close();
    const auto before = Snapshot();
    for (Job job : {Job{&CustomerRefresh}, Job{&ProductRefresh}}) {
        RecordingReporter reporter;
        MainContext main;
        EXPECT_FALSE(main.FormShow(reporter));
        EXPECT_FALSE(RunReported(reporter, [&] { job(main, reporter, {}); }));
        ASSERT_EQ(reporter.errors.size(), 2u);
        EXPECT_EQ(reporter.errors[0], reporter.errors[1]);
        EXPECT_NE(
            reporter.errors[0].find(" Make one with 'taxbridge server init --server TESTSRV'"),
            std::string::npos)
            << reporter.errors[0];
    }
    EXPECT_EQ(Snapshot(), before);
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/missing.db"));
}

TEST_P(RefreshKeepsTheMachinesDataTest, KeysThatCollideOnceCutAreAnErrorBeforeAnythingIsDeleted) {
    const struct {
        Job job;
        std::vector<std::string> statements;
        const char* error;
    } cases[] = {
        {&CustomerRefresh,
         {"INSERT INTO GSTDWGL0(DWDM00,DWMC00,SWDJH0) VALUES ('K801','甲','33010000000000000001X')",
          "INSERT INTO GSTDWGL0(DWDM00,DWMC00,SWDJH0) VALUES "
          "('K802','乙','33010000000000000001Y')"},
         "Values of NSR_NO in ke_hu.dbf would collide once changed to fit the field. No table was "
         "changed:\n\"33010000000000000001X\" and \"33010000000000000001Y\" both become "
         "\"33010000000000000001\""},
        {&ProductRefresh,
         {"INSERT INTO GSTJYGL0(SPDM00,SPMC00,JYDW00,SPGG00) VALUES "
          "('6901000000011','甲','条','20支')",
          "INSERT INTO GSTJYGL1(SPDM00,SPMC00) VALUES ('6901000000011','甲')",
          "INSERT INTO GSTJYGL0(SPDM00,SPMC00,JYDW00,SPGG00) VALUES "
          "('6901000000012','乙','条','20支')",
          "INSERT INTO GSTJYGL1(SPDM00,SPMC00) VALUES ('6901000000012','乙')"},
         "Values of XYZ in detail.dbf would collide once changed to fit the field. No table was "
         "changed:\n\"6901000000011\" and \"6901000000012\" both become \"690100000001\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        appserver::loadDemo(*session());
        for (const std::string& statement : c.statements) run(statement);
        const auto before = Snapshot();
        RecordingReporter reporter;
        EXPECT_FALSE(Run(c.job, reporter));
        EXPECT_EQ(reporter.errors, std::vector<std::string>{c.error});
        EXPECT_EQ(Snapshot(), before);
    }
}

TEST_P(RefreshKeepsTheMachinesDataTest, ValuesStoredChangedAreReportedAtMostTwentyLines) {
    // One ASCII letter and 25 two-byte characters: 51 bytes for the 50 of DW_NAME.
    std::string longName = "A";
    for (int i = 0; i < 25; ++i) longName += "烟";
    const struct {
        int customers;          // how many customers get the long name
        const char* otherName;  // the name of one more customer
        std::vector<std::string> notice;
    } cases[] = {
        {1,
         "烟😀店",
         {"2 values did not fit the machine's fields and were stored changed:",
          "ke_hu.dbf record 1, DW_NAME: \"" + longName + "\" stored as \"" +
              longName.substr(0, longName.size() - 3) + "\"",
          "ke_hu.dbf record 2, DW_NAME: \"烟😀店\" stored as \"烟?店\""}},
        {23, "烟店", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.customers);
        jobs::demo::DbfWriter(jobs::demo::CustomerLayout()).Write(TablePath("ke_hu.dbf"));
        run("DELETE FROM GSTYHZH0");
        run("DELETE FROM GSTDWGL0");
        for (int i = 0; i < c.customers; ++i) {
            run("INSERT INTO GSTDWGL0(DWDM00,DWMC00,SWDJH0) VALUES ('K" + std::to_string(100 + i) +
                "','" + longName + "','3301" + std::to_string(100 + i) + "')");
        }
        run(std::string("INSERT INTO GSTDWGL0(DWDM00,DWMC00,SWDJH0) VALUES ('K999','") +
            c.otherName + "','3301999')");
        RecordingReporter reporter;
        ASSERT_TRUE(Run(&CustomerRefresh, reporter, true));
        ASSERT_EQ(reporter.notices.size(), 1u);
        std::vector<std::string> lines;
        std::string line;
        for (std::istringstream in(reporter.notices[0]); std::getline(in, line);)
            lines.push_back(line);
        if (!c.notice.empty()) {
            EXPECT_EQ(lines, c.notice);
        } else {
            ASSERT_EQ(lines.size(), 22u);
            EXPECT_EQ(lines.front(),
                      "23 values did not fit the machine's fields and were stored changed:");
            EXPECT_EQ(lines.back(), "... and 3 more values");
        }
        // The notice comes before the result.
        EXPECT_EQ(reporter.events,
                  (std::vector<std::string>{"start", "notice", "stop", "result 刷新的客户"}));
    }
}

INSTANTIATE_FOR_BACKENDS(RefreshKeepsTheMachinesDataTest);

}  // namespace
}  // namespace jobs::test
