// The invoice read-in and the check window's activation and click, end to end.
#include <algorithm>

#include "ChildProcess.h"
#include "JobTestSupport.h"
#include "appserver/DemoData.h"
#include "jobs/CheckContext.h"
#include "jobs/DateContext.h"
#include "jobs/GridColumns.h"
#include "jobs/InvoiceReadIn.h"
#include "jobs/ReadInDate.h"
#include "jobs/demo/DemoMachineFolder.h"
#include "jobs/demo/MachineLayouts.h"
#include "platform/FormatSettings.h"
#include "xbase/cursor/DbfHandler.h"

namespace jobs::test {
namespace {

namespace ad = appserver::demo;
using jobs::demo::DemoDay;

// Numbers of the demo's live invoices of a day, and of their listed lines.
std::vector<std::string> InvoicesOn(int dayOffset) {
    std::vector<std::string> numbers;
    for (const ad::MachineInvoice& i : ad::machineInvoices()) {
        if (i.dayOffset == dayOffset) numbers.push_back(i.number + "|" + i.book);
    }
    return numbers;
}

std::size_t ListedLinesOn(int dayOffset) {
    std::size_t count = 0;
    for (const ad::MachineInvoice& i : ad::machineInvoices()) {
        if (i.dayOffset == dayOffset && i.lines.size() > 3) count += i.lines.size();
    }
    return count;
}

class InvoiceReadInTest : public JobTest {
protected:
    ReadInOutcome ReadIn(int dayOffset) {
        EXPECT_TRUE(window_.FormShow(reporter_));
        return InvoiceReadIn(window_, DemoDay(dayOffset), reporter_);
    }
    std::vector<std::string> ServerInvoices() {
        return Sorted(ServerRows("SELECT FP_NO,FP_NO10 FROM FA_PIAO"));
    }

    DateContext window_;
    RecordingReporter reporter_;
};

TEST_P(InvoiceReadInTest, CopiesExactlyTheChosenDaysInvoicesAndTheirLines) {
    const ReadInOutcome outcome = ReadIn(0);
    EXPECT_TRUE(outcome.committed);
    EXPECT_TRUE(reporter_.errors.empty());
    EXPECT_EQ(ReadInDate(), ad::dayText(0));
    EXPECT_EQ(ServerInvoices(), Sorted(InvoicesOn(0)));
    EXPECT_EQ(ServerRows("SELECT COUNT(*) FROM FAADD"),
              std::vector<std::string>{std::to_string(ListedLinesOn(0))});
    EXPECT_EQ(ServerRows("SELECT COUNT(*) FROM FAADD WHERE FP_NO||FP_NO10 NOT IN (SELECT "
                         "FP_NO||FP_NO10 FROM FA_PIAO)"),
              std::vector<std::string>{"0"});
    // Every live line was sent before the orphans were removed; deleted ones never.
    const DbfContents lines = ReadDbf(TablePath("fpadd.dbf"));
    EXPECT_EQ(outcome.lines, static_cast<int>(lines.Live().size()));
    EXPECT_LT(lines.Live().size(), lines.records.size());
    EXPECT_EQ(ServerRows("SELECT COUNT(*) FROM FA_PIAO WHERE FP_NO='" +
                         std::string(jobs::demo::kDeletedInvoiceNumber) + "'"),
              std::vector<std::string>{"0"});
    // Values arrive as the fields' texts.
    const ad::MachineInvoice first = ad::machineInvoices()[6];
    EXPECT_EQ(ServerRows("SELECT FP_DW,FP_RATE,FP_MEM,TO_CHAR(FP_DATE,'YYYY-MM-DD'),WAST_TIME "
                         "FROM FA_PIAO WHERE FP_NO='" +
                         first.number + "'"),
              std::vector<std::string>{first.customerName + "|0.13|" + std::to_string(first.order) +
                                       "|" + ad::dayText(0) + "|NULL"});
}

TEST_P(InvoiceReadInTest, TheCheckListsTheDaysInvoicesNotYetRegisteredAndTheirLines) {
    ASSERT_TRUE(ReadIn(-1).committed);
    CheckContext check;
    ASSERT_TRUE(check.FormShow(reporter_));
    check.FormActivate(reporter_);
    const GridRows list = ReadGrid(check.cds_gstsker_dhao, InvoiceListColumns());
    // Yesterday's first two invoices are registered in the sales system already.
    std::vector<std::string> expected;
    for (const ad::MachineInvoice& i : ad::machineInvoices()) {
        if (i.dayOffset == -1 && !i.registered) {
            expected.push_back(JoinRow({std::to_string(i.order), i.number, i.book}));
        }
    }
    std::vector<std::string> listed;
    for (const auto& row : list) listed.push_back(JoinRow({row[0], row[1], row[2]}));
    EXPECT_EQ(Sorted(listed), Sorted(expected));
    EXPECT_TRUE(check.CDS_KCJG.Active());
    EXPECT_EQ(std::count(reporter_.events.begin(), reporter_.events.end(),
                         "message 无单据可读入！ / 提示"),
              0);

    // The third demo invoice bills five units more than its order on its first line.
    const ad::MachineInvoice differing = ad::machineInvoices()[2];
    check.cds_gstsker_dhao.First();
    while (check.cds_gstsker_dhao.FieldByName("FP_NO").AsString() != differing.number) {
        check.cds_gstsker_dhao.Next();
        ASSERT_FALSE(check.cds_gstsker_dhao.Eof());
    }
    check.InvoiceClick();
    const GridRows lines = ReadGrid(check.CDS_GSVSKER_SLBJ, InvoiceLineColumns());
    ASSERT_EQ(lines.size(), differing.lines.size());
    bool foundDifference = false;
    for (const auto& row : lines) foundDifference |= row[3] != row[4];  // 税控数量 / 系统数量
    EXPECT_TRUE(foundDifference);

    // A click on another invoice shows only that one's lines.
    check.cds_gstsker_dhao.First();
    if (check.cds_gstsker_dhao.FieldByName("FP_NO").AsString() == differing.number) {
        check.cds_gstsker_dhao.Next();
    }
    const std::string other = check.cds_gstsker_dhao.FieldByName("FP_NO").AsString();
    check.InvoiceClick();
    std::size_t otherLines = 0;
    for (const ad::MachineInvoice& i : ad::machineInvoices()) {
        if (i.number == other) otherLines = i.lines.size();
    }
    EXPECT_EQ(ReadGrid(check.CDS_GSVSKER_SLBJ, InvoiceLineColumns()).size(), otherLines);
    for (const auto& row : ReadGrid(check.CDS_GSVSKER_SLBJ, InvoiceLineColumns())) {
        EXPECT_EQ(row[3], row[4]) << row[0];
    }
}

TEST_P(InvoiceReadInTest, ADayWithoutInvoicesLeavesNoneAndTheCheckSaysSo) {
    const ReadInOutcome outcome = ReadIn(-5);
    EXPECT_TRUE(outcome.committed);
    EXPECT_EQ(outcome.invoices, 0);
    EXPECT_GT(outcome.lines, 0);
    EXPECT_TRUE(ServerInvoices().empty());
    EXPECT_EQ(ServerRows("SELECT COUNT(*) FROM FAADD"), std::vector<std::string>{"0"});
    CheckContext check;
    ASSERT_TRUE(check.FormShow(reporter_));
    check.FormActivate(reporter_);
    EXPECT_EQ(reporter_.events.back(), "message 无单据可读入！ / 提示");
    EXPECT_FALSE(check.CDS_KCJG.Active());
    check.InvoiceClick();  // an empty list: nothing happens
    EXPECT_FALSE(check.CDS_GSVSKER_SLBJ.Active());
}

TEST_P(InvoiceReadInTest, BlankDatesNeverMatchAndTheDateFormatSetOnShowGoverns) {
    // An invoice without a date joins the table.
    jobs::demo::DbfWriter invoices(jobs::demo::InvoiceLayout());
    for (const ad::MachineInvoice& i : ad::machineInvoices()) {
        invoices.AddRecord(jobs::demo::InvoiceRecord(i, DemoDay(i.dayOffset)));
    }
    ad::MachineInvoice undated = ad::machineInvoices().back();
    undated.number = "00004000";
    std::vector<jobs::demo::DbfValue> record = jobs::demo::InvoiceRecord(undated, DemoDay(0));
    record[18] = std::monostate{};
    invoices.AddRecord(record);
    invoices.Write(TablePath("FA_PIAO.dbf"));

    // Whatever the date format was before, the window sets its own.
    platform::ProcessFormatSettings().shortDateFormat = "dd/mm/yyyy";
    platform::ProcessFormatSettings().dateSeparator = '.';
    const ReadInOutcome outcome = ReadIn(0);
    platform::ProcessFormatSettings().dateSeparator = '-';
    EXPECT_TRUE(outcome.committed);
    EXPECT_EQ(platform::ProcessFormatSettings().shortDateFormat, "yyyy-mm-dd");
    EXPECT_EQ(ReadInDate(), ad::dayText(0));
    EXPECT_EQ(ServerInvoices(), Sorted(InvoicesOn(0)));
}

TEST_P(InvoiceReadInTest, ARecordLockedElsewhereRollsTheCopyBackAndIsReported) {
    const auto invoicesBefore = FileBytes(TablePath("FA_PIAO.dbf"));
    const auto linesBefore = FileBytes(TablePath("fpadd.dbf"));
    // Record 8 is today's second invoice: the first has been sent when the lock stops
    // the copy.
    ASSERT_EQ(ad::machineInvoices()[7].dayOffset, 0);
    const std::string path = TablePath("FA_PIAO.dbf");
    platform_test::HoldingChild other([&] {
        // Kept open (and locked) until the child is released.
        auto* table = new xbase::DbfHandler(path, true, true);
        table->GoTo(8);
        return table->RecordLock() ? 0 : 1;
    });
    ASSERT_EQ(other.ready(), 0);

    const ReadInOutcome outcome = ReadIn(0);
    EXPECT_FALSE(outcome.committed);
    EXPECT_EQ(outcome.invoices, 1);
    EXPECT_EQ(outcome.error, "Record is locked by another user");
    EXPECT_EQ(reporter_.errors, std::vector<std::string>{"Record is locked by another user"});
    EXPECT_TRUE(ServerInvoices().empty());
    EXPECT_EQ(ServerRows("SELECT COUNT(*) FROM FAADD"), std::vector<std::string>{"0"});
    other.release();

    // The copy holds no lock of its own afterwards.
    EXPECT_EQ(platform_test::runInChild([&] {
                  xbase::DbfHandler table(path, true, true);
                  for (int r = 1; r <= 8; ++r) {
                      table.GoTo(r);
                      if (!table.RecordLock()) return 1;
                      table.Unlock();
                  }
                  return 0;
              }),
              0);
    window_.hds_sk.Close();
    window_.hds_add.Close();
    EXPECT_EQ(FileBytes(TablePath("FA_PIAO.dbf")), invoicesBefore);
    EXPECT_EQ(FileBytes(TablePath("fpadd.dbf")), linesBefore);
}

TEST_P(InvoiceReadInTest, AnInvoiceOfAnotherDayHeldElsewhereDoesNotStopTheReadIn) {
    ASSERT_EQ(ad::machineInvoices()[0].dayOffset, -1);
    const std::string path = TablePath("FA_PIAO.dbf");
    platform_test::HoldingChild other([&] {
        auto* table = new xbase::DbfHandler(path, true, true);  // held until released
        table->GoTo(1);
        return table->RecordLock() ? 0 : 1;
    });
    ASSERT_EQ(other.ready(), 0);
    const ReadInOutcome outcome = ReadIn(0);
    EXPECT_TRUE(outcome.committed);
    EXPECT_TRUE(reporter_.errors.empty());
    EXPECT_EQ(ServerInvoices(), Sorted(InvoicesOn(0)));
}

TEST_P(InvoiceReadInTest, AMissingTableEndsTheReadInBeforeAnythingIsSent) {
    ASSERT_TRUE(ReadIn(0).committed);
    std::remove(TablePath("fpadd.dbf").c_str());
    DateContext again;
    ASSERT_TRUE(again.FormShow(reporter_));
    EXPECT_ANY_THROW(InvoiceReadIn(again, DemoDay(0), reporter_));
    EXPECT_EQ(ServerInvoices(), Sorted(InvoicesOn(0)));  // the truncations were not reached
}

INSTANTIATE_FOR_BACKENDS(InvoiceReadInTest);

}  // namespace
}  // namespace jobs::test
