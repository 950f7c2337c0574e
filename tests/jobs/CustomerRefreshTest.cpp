// The customer refresh end to end on the demo folder and the demo sales server.
#include <algorithm>

#include "JobTestSupport.h"
#include "appserver/DemoData.h"
#include "jobs/CustomerRefresh.h"
#include "jobs/GridColumns.h"
#include "jobs/MainContext.h"
#include "jobs/ReportedRun.h"
#include "jobs/demo/MachineLayouts.h"

namespace jobs::test {
namespace {

namespace ad = appserver::demo;

std::string Either(const char* text) { return text ? text : ""; }

class CustomerRefreshTest : public JobTest {};

TEST_P(CustomerRefreshTest, UploadsTheMachineTablesThenReplacesThemWithTheSalesCustomers) {
    const DbfContents oldCustomers = ReadDbf(TablePath("ke_hu.dbf"));
    const DbfContents oldBanks = ReadDbf(TablePath("BANK.dbf"));
    MainContext main;
    RecordingReporter reporter;
    ASSERT_TRUE(main.FormShow(reporter));
    CustomerRefresh(main, reporter);

    // The server holds exactly the machine's old live records.
    EXPECT_EQ(Sorted(ServerRows("SELECT NSR_NO,DW_NAME,ADDRE_PHON FROM ke_hu")),
              Sorted(oldCustomers.LiveRows({"NSR_NO", "DW_NAME", "ADDRE_PHON"})));
    EXPECT_EQ(Sorted(ServerRows("SELECT NSR_NO,BANK_ZHANG FROM BANK")),
              Sorted(oldBanks.LiveRows({"NSR_NO", "BANK_ZHANG"})));

    // The machine holds exactly the sales system's registered customers and accounts.
    std::vector<std::string> customers;
    std::vector<std::string> banks;
    for (const ad::Customer& c : ad::customers()) {
        if (!c.taxNo) continue;
        std::string addressPhone = Either(c.address) + " " + Either(c.phone);
        addressPhone.erase(addressPhone.find_last_not_of(' ') + 1);
        customers.push_back(JoinRow({c.taxNo, c.name, addressPhone}));
        for (const ad::BankAccount& b : ad::bankAccounts()) {
            if (std::string(b.customer) == c.code) {
                banks.push_back(JoinRow({c.taxNo, std::string(b.bank) + " " + b.account}));
            }
        }
    }
    const DbfContents newCustomers = ReadDbf(TablePath("ke_hu.dbf"));
    const DbfContents newBanks = ReadDbf(TablePath("BANK.dbf"));
    EXPECT_EQ(Sorted(newCustomers.LiveRows({"NSR_NO", "DW_NAME", "ADDRE_PHON"})),
              Sorted(customers));
    EXPECT_EQ(Sorted(newBanks.LiveRows({"NSR_NO", "BANK_ZHANG"})), Sorted(banks));
    EXPECT_GT(banks.size(), customers.size());  // some customers keep two accounts

    // Old records stay in the file, flagged deleted; the new ones follow them.
    ASSERT_EQ(newCustomers.headerCount, oldCustomers.headerCount + customers.size());
    ASSERT_EQ(newBanks.headerCount, oldBanks.headerCount + banks.size());
    for (std::size_t i = 0; i < oldCustomers.records.size(); ++i) {
        EXPECT_TRUE(newCustomers.records[i].deleted) << i;
    }
    for (std::size_t i = 0; i < oldBanks.records.size(); ++i) {
        EXPECT_TRUE(newBanks.records[i].deleted) << i;
    }
    EXPECT_EQ(newCustomers.Live().size(), customers.size());

    // The result is what DSP_QZKHSQ reports: the new and the changed customers.
    ASSERT_EQ(reporter.events, (std::vector<std::string>{"start", "stop", "result 刷新的客户"}));
    const ShownResult& shown = reporter.results.at(0);
    EXPECT_EQ(shown.captions, (std::vector<std::string>{"单位名称", "地址电话", "税务登记号"}));
    std::vector<std::string> reported;
    for (const auto& row : shown.rows) reported.push_back(row[2]);
    EXPECT_EQ(Sorted(reported),
              Sorted({"330104197001010055", "330127197001010122", "330185197001010277",
                      "330111197001010299", "330111197001010300", "330106197001010322"}));
    appserver::ClientDataSet again;
    again.SetRemoteServer(&main.DCOMConnection1);
    again.SetProviderName("DSP_QZKHSQ");
    again.Open();
    EXPECT_EQ(ReadGrid(again, CustomerResultColumns()), shown.rows);
}

TEST_P(CustomerRefreshTest, AnEmptyMachineTableIsStillRefilled) {
    jobs::demo::DbfWriter(jobs::demo::CustomerLayout()).Write(TablePath("ke_hu.dbf"));
    MainContext main;
    RecordingReporter reporter;
    ASSERT_TRUE(main.FormShow(reporter));
    CustomerRefresh(main, reporter);
    EXPECT_TRUE(ServerRows("SELECT NSR_NO FROM ke_hu").empty());
    EXPECT_EQ(
        ReadDbf(TablePath("ke_hu.dbf")).Live().size(),
        static_cast<std::size_t>(std::count_if(ad::customers().begin(), ad::customers().end(),
                                               [](const ad::Customer& c) { return c.taxNo; })));
}

TEST_P(CustomerRefreshTest, AFailingQueryLeavesBothMachineTablesUntouched) {
    const auto customers = FileBytes(TablePath("ke_hu.dbf"));
    const auto banks = FileBytes(TablePath("BANK.dbf"));
    run("DROP TABLE GSTYHZH0");
    MainContext main;
    RecordingReporter reporter;
    ASSERT_TRUE(main.FormShow(reporter));
    EXPECT_FALSE(RunReported(reporter, [&] { CustomerRefresh(main, reporter); }));
    ASSERT_EQ(reporter.errors.size(), 1u);
    EXPECT_NE(reporter.errors[0].find("GSTYHZH0"), std::string::npos) << reporter.errors[0];
    EXPECT_EQ(reporter.events.front(), "start");
    EXPECT_EQ(reporter.events.at(1), "stop");  // the progress display does not outlive the job
    main.HDS_SKKH.Close();
    main.HDS_BANK.Close();
    EXPECT_EQ(FileBytes(TablePath("ke_hu.dbf")), customers);
    EXPECT_EQ(FileBytes(TablePath("BANK.dbf")), banks);
}

INSTANTIATE_FOR_BACKENDS(CustomerRefreshTest);

}  // namespace
}  // namespace jobs::test
