// The connection, the client datasets and the transaction methods, as the windows use them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "TestServers.h"
#include "appserver/ClientDataSet.h"
#include "appserver/DCOMConnection.h"
#include "appserver/DemoData.h"
#include "appserver/ServerError.h"
#include "data/FloatField.h"
#include "data/StringField.h"

namespace appserver {
namespace {

using test::ServerTest;

class Connection : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        session();  // the server's database with its schema: connections never make one
        conn.SetComputerName(kComputer);
        bind(temp, "dsp_temp");
    }
    void bind(ClientDataSet& ds, const char* provider) {
        ds.SetRemoteServer(&conn);
        ds.SetProviderName(provider);
    }
    void exec(const std::string& sql) {
        temp.Close();
        temp.SetCommandText(sql);
        temp.Execute();
    }
    int count(const std::string& table) {
        temp.Close();
        temp.SetCommandText("select count(*) n from " + table);
        temp.Open();
        return std::stoi(temp.FieldByName("N").AsString());
    }
    static std::string errorOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }

    DCOMConnection conn;
    ClientDataSet temp;
};

TEST_P(Connection, ProviderCallsConnectFirstButMethodsDoNot) {
    EXPECT_FALSE(conn.Connected());
    EXPECT_NE(errorOf([&] { conn.AppServerCall("CustObjdbTranStart"); }).find("CustObjdbTranStart"),
              std::string::npos);
    exec("truncate table ke_hu");
    EXPECT_TRUE(conn.Connected());
    conn.AppServerCall("custobjdbtranstart");
    conn.AppServerCall("CUSTOBJDBCOMMIT");
}

TEST_P(Connection, RollbackDiscardsWhatFollowsTheStartAndCommitKeepsIt) {
    exec("insert into fa_piao(FP_NO,FP_NO10) values ('1','A')");
    exec("insert into faadd(FP_NO,FP_NO10) values ('1','A')");
    exec("truncate table fa_piao");  // before the start: stays
    conn.AppServerCall("CustObjdbTranStart");
    exec("insert into fa_piao(FP_NO,FP_NO10) values ('2','A')");
    exec("truncate table faADD");
    EXPECT_EQ(count("fa_piao"), 1);  // the session sees its own work
    conn.AppServerCall("CustObjdbRollback");
    EXPECT_EQ(count("fa_piao"), 0);
    EXPECT_EQ(count("faadd"), 1);

    conn.AppServerCall("CustObjdbTranStart");
    exec("insert into fa_piao(FP_NO,FP_NO10) values ('3','A')");
    conn.AppServerCall("CustObjdbCommit");
    DCOMConnection other(kComputer);
    ClientDataSet check;
    check.SetRemoteServer(&other);
    check.SetProviderName("DSP_TEMP");
    check.SetCommandText("select fp_no from fa_piao");
    check.Open();
    EXPECT_EQ(check.RecordCount(), 1);
    EXPECT_EQ(check.FieldByName("Fp_No").AsString(), "3");
}

TEST_P(Connection, AFailedStatementInsideTheTransactionLeavesTheRestUsable) {
    conn.Open();
    conn.AppServerCall("CustObjdbTranStart");
    exec("insert into fa_piao(FP_NO,FP_NO10) values ('1','A')");
    EXPECT_THROW(exec("insert into no_such_table values (1)"), ServerError);
    exec("insert into fa_piao(FP_NO,FP_NO10) values ('2','A')");
    conn.AppServerCall("CustObjdbCommit");
    EXPECT_EQ(count("fa_piao"), 2);
}

TEST_P(Connection, UnknownNamesAndRejectedStatementsRaiseErrorsNamingThem) {
    conn.Open();
    EXPECT_NE(errorOf([&] { conn.AppServerCall("CustObjdbSave"); }).find("CustObjdbSave"),
              std::string::npos);
    ClientDataSet ds;
    bind(ds, "DSP_NOSUCH");
    EXPECT_NE(errorOf([&] { ds.Open(); }).find("DSP_NOSUCH"), std::string::npos);
    EXPECT_NE(errorOf([&] { exec("delete from no_such_table"); }).find("delete from no_such_table"),
              std::string::npos);
    temp.SetCommandText("select nsr_no from ke_hu");
    temp.Open();
    EXPECT_NE(errorOf([&] { temp.FieldByName("NO_SUCH_COLUMN"); }).find("NO_SUCH_COLUMN"),
              std::string::npos);
    DCOMConnection unknown("NO-SUCH-COMPUTER");
    EXPECT_NE(errorOf([&] { unknown.Open(); }).find("NO-SUCH-COMPUTER"), std::string::npos);
    EXPECT_FALSE(unknown.Connected());
}

TEST_P(Connection, AppliedRowsGoToTheProviderTableAndOnlyNewRowsAreSentAgain) {
    exec("truncate table detail");
    ClientDataSet kh;
    bind(kh, "DSP_GSTSKER_KH");
    kh.Open();
    EXPECT_EQ(kh.RecordCount(), 0);
    auto add = [&](const char* code, const char* name) {
        kh.Insert();
        kh.FieldByName("xyz").SetAsString(code);
        kh.FieldByName("NAME").SetAsString(name);
        kh.FieldByName("Unit").SetAsString("条");
        kh.FieldByName("PRICE").SetAsString("12.5");
        kh.FieldByName("TYPE").SetAsString("84mm");
        kh.Post();
    };
    add("A1", "中华(硬)");
    add("A2", "O'Brien");
    EXPECT_EQ(kh.ChangeCount(), 2);
    EXPECT_EQ(kh.ApplyUpdates(0), 0);
    EXPECT_EQ(kh.ChangeCount(), 0);
    add("A3", "玉溪");
    EXPECT_EQ(kh.ApplyUpdates(0), 0);
    EXPECT_EQ(count("detail"), 3);
    temp.Close();
    temp.SetCommandText("select xyz, name, price from detail where xyz='A2'");
    temp.Open();
    EXPECT_EQ(temp.FieldByName("NAME").AsString(), "O'Brien");
    EXPECT_EQ(temp.FieldByName("price").AsString(), "12.5");
}

TEST_P(Connection, TooManyRefusedRowsKeepNoneOfTheApply) {
    ClientDataSet kh;
    bind(kh, "dsp_temp");
    kh.SetCommandText("select xyz, name from detail");
    kh.Open();
    kh.AppendRecord({std::string("B1"), std::string("x")});
    EXPECT_THROW(kh.ApplyUpdates(0), ServerError);  // dsp_temp has no table to apply to
    EXPECT_EQ(kh.ChangeCount(), 1);
}

TEST_P(Connection, DeclaredFieldsKeepTheirTypeAndTheCustomerResultNamesItsMiddleColumn) {
    loadDemo(*session());
    exec("truncate table ke_hu");
    ClientDataSet khsq;
    bind(khsq, "dsp_qzkhsq");
    khsq.Open();
    ASSERT_GT(khsq.RecordCount(), 0);
    EXPECT_EQ(khsq.FieldCount(), 3);
    EXPECT_EQ(khsq.Fields()[1].FieldName(), "DZ0000||''||DH0000");
    khsq.First();
    EXPECT_FALSE(khsq.FieldByName("dwmc00").AsString().empty());
    // Every registered customer is new to an empty machine table.
    int registered =
        static_cast<int>(std::count_if(demo::customers().begin(), demo::customers().end(),
                                       [](const demo::Customer& c) { return c.taxNo != nullptr; }));
    EXPECT_EQ(khsq.RecordCount(), registered);

    ClientDataSet spsq;
    bind(spsq, "DSP_GSTSKER_SPSQ");
    spsq.Open();
    EXPECT_EQ(spsq.RecordCount(), static_cast<int>(demo::products().size()));
    for (const char* column : {"SPDM00", "SPMC00", "JYDW00", "SPGG00"})
        EXPECT_NE(spsq.FindField(column), nullptr);
}

// A text column is as wide as its longest fetched value (at least 255), so no fetched
// text is ever cut.
TEST_P(Connection, ATextColumnIsAsWideAsItsLongestValue) {
    const std::string text(300, 'y');
    temp.Close();
    temp.SetCommandText("select '" + text + "' LONGTEXT, 'x' SHORTTEXT from dual");
    temp.Open();
    EXPECT_EQ(temp.FieldByName("LONGTEXT").Size(), 300);
    EXPECT_EQ(temp.FieldByName("SHORTTEXT").Size(), 255);
    EXPECT_EQ(temp.FieldByName("LONGTEXT").AsString(), text);
}

// Fetched rows are filtered through OnFilterRecord while Filtered is on, as in every
// dataset.
TEST_P(Connection, OnFilterRecordHidesFetchedRows) {
    temp.Close();
    temp.SetCommandText(
        "select 1 N from dual union all select 2 from dual union all select 3 from dual");
    temp.OnFilterRecord = [](data::DataSet& d, bool& accept) {
        accept = d.FieldByName("N").AsString() != "2";
    };
    temp.Open();
    temp.SetFiltered(true);
    std::vector<std::string> seen;
    for (temp.First(); !temp.Eof(); temp.Next()) seen.push_back(temp.FieldByName("N").AsString());
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "3"}));
    temp.SetFiltered(false);
    EXPECT_EQ(temp.RecordCount(), 3);
}

// The read-in and the check window on the demo data: copy today's invoices, trim, pair
// them with their orders, list them and compare one invoice's lines.
TEST_P(Connection, CheckWindowProvidersPairInvoicesWithOrdersAndCompareLines) {
    loadDemo(*session());
    const std::string today = demo::dayText(0);
    exec("truncate table fa_piao");
    exec("truncate table faADD");
    conn.AppServerCall("CustObjdbTranStart");
    std::vector<demo::MachineInvoice> invoices = demo::machineInvoices();
    for (const demo::MachineInvoice& inv : invoices) {
        std::string sql =
            "insert into "
            "fa_piao(FP_NO,FP_NO10,FP_DW,FP_NSR_NO,FP_DATE,FP_MEM,JIAO_1_1,JIAO_1_3,JIAO_1_4,JIAO_"
            "1_5,JIAO_1_7,WAST_TIME) values ('" +
            inv.number + "','" + inv.book + "','" + inv.customerName + "','" + inv.taxNo +
            "',to_date('" + demo::dayText(inv.dayOffset) + "','yyyy-mm-dd'),'" +
            std::to_string(inv.order) + "',";
        if (inv.lines.size() <= 3) {
            const demo::InvoiceLine& l = inv.lines[0];
            sql += "'" + l.name + "','" + std::to_string(l.quantity) + "','" +
                   std::to_string(l.price) + "','" + std::to_string(l.amount) + "','" +
                   std::to_string(l.tax) + "'";
        } else {
            sql += "'(详见销货清单)','','','',''";
        }
        exec(sql + ",to_date('','yyyy-mm-dd'))");
        for (const demo::InvoiceLine& l : inv.lines) {
            if (inv.lines.size() <= 3) break;
            exec(
                "insert into faadd(FP_NO10,FP_NO,NAME,GUI_GE,DAN_WEI,MUCH,DAN_JIA,JIN_E,SL,SHUI_E) "
                "VALUES ('" +
                inv.book + "','" + inv.number + "', '" + l.name + "','" + l.packing + "','" +
                l.unit + "', '" + std::to_string(l.quantity) + "','" + std::to_string(l.price) +
                "','" + std::to_string(l.amount) + "', '0.13','" + std::to_string(l.tax) + "')");
        }
    }
    exec("DELETE FAADD WHERE FP_NO||FP_NO10 NOT IN (SELECT FP_NO||FP_NO10 FROM FA_PIAO)");
    conn.AppServerCall("CustObjdbCommit");

    exec("DELETE FROM FA_PIAO WHERE RTRIM(LTRIM(TO_CHAR(FP_DATE,'YYYY-MM-DD')))<>'" + today + "'");
    exec("DELETE FA_PIAO WHERE fp_no||fp_no10 in (select fphao0||fpbbh0 from XSTXSFP1)");
    ClientDataSet storeok;
    bind(storeok, "dsP_strorokqz");
    storeok.Execute();

    ClientDataSet dhao;
    bind(dhao, "DSP_GSVSKER_DHAO");
    // The invoice list's declared fields.
    dhao.AddField(std::make_unique<data::FloatField>("DHAO00"));
    dhao.AddField(std::make_unique<data::StringField>("FP_NO", 8));
    dhao.AddField(std::make_unique<data::StringField>("FP_NO10", 10));
    dhao.AddField(std::make_unique<data::StringField>("FP_DW", 50));
    dhao.AddField(std::make_unique<data::StringField>("FP_NSR_NO", 16));
    dhao.Open();
    int todays = static_cast<int>(std::count_if(
        invoices.begin(), invoices.end(), [](const auto& inv) { return inv.dayOffset == 0; }));
    ASSERT_EQ(dhao.RecordCount(), todays);
    std::map<std::string, long> orderOf;
    for (const auto& inv : invoices) orderOf[inv.number] = inv.order;
    for (dhao.First(); !dhao.Eof(); dhao.Next()) {
        EXPECT_EQ(dhao.FieldByName("DHAO00").AsFloat(),
                  orderOf[dhao.FieldByName("FP_NO").AsString()]);
        EXPECT_FALSE(dhao.FieldByName("FP_DW").AsString().empty());
    }

    // One invoice of today with a line list: every line appears beside its order line.
    auto withList = std::find_if(invoices.begin(), invoices.end(), [](const auto& inv) {
        return inv.dayOffset == 0 && inv.lines.size() > 3;
    });
    ASSERT_NE(withList, invoices.end());
    ClientDataSet slbj;
    bind(slbj, "DSP_GSVSKER_SLBJ");
    for (int i = 0; i < 8; ++i) {
        slbj.Params().Add("FP_NO", data::ftInteger);
        slbj.Params().Add("FP_NO10", data::ftInteger);
    }
    for (int i = 0; i < 16; ++i)
        slbj.Params()[i].SetAsString(i % 2 == 0 ? withList->number : withList->book);
    slbj.Open();
    EXPECT_EQ(slbj.RecordCount(), static_cast<int>(withList->lines.size()));
    for (slbj.First(); !slbj.Eof(); slbj.Next()) {
        EXPECT_EQ(slbj.FieldByName("JIAO_1_3").AsString(), slbj.FieldByName("SL0000").AsString());
        EXPECT_EQ(slbj.FieldByName("jiao_1_4").AsString(), slbj.FieldByName("DJIA00").AsString());
        EXPECT_FALSE(slbj.FieldByName("SKJS00").AsString().empty());
    }
    // Fewer than sixteen values is refused with the provider's name.
    slbj.Close();
    slbj.Params().Clear();
    EXPECT_NE(errorOf([&] { slbj.Open(); }).find("DSP_GSVSKER_SLBJ"), std::string::npos);

    ClientDataSet kcjg;
    bind(kcjg, "DSP_QZCKKCJG");
    kcjg.Open();
    EXPECT_GT(kcjg.RecordCount(), 0);
}

INSTANTIATE_FOR_BACKENDS(Connection);

TEST(EmbeddedServer, EmptyNameCreatesTheDefaultDatabaseAndTakesTheDemo) {
    std::string dir = ::testing::TempDir() + "tb_embedded_" + std::to_string(getpid());
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    setenv("TAXBRIDGE_SERVERS_CONF", (dir + "/none.conf").c_str(), 1);
    initDemo("");
    DCOMConnection conn("");
    ClientDataSet ds;
    ds.SetRemoteServer(&conn);
    ds.SetProviderName("dsp_temp");
    ds.SetCommandText("SELECT SWDJH0,DWMC00,DZ0000,DH0000 FROM GSTDWGL0 where swdjh0 is not null");
    ds.Open();
    EXPECT_GT(ds.RecordCount(), 20);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace appserver
