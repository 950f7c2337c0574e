// The product refresh end to end, and the machine's product table surviving a failure.
#include <algorithm>
#include <cstdio>

#include "JobTestSupport.h"
#include "appserver/DemoData.h"
#include "jobs/GridColumns.h"
#include "jobs/MainContext.h"
#include "jobs/ProductRefresh.h"
#include "jobs/ReportedRun.h"
#include "jobs/demo/MachineLayouts.h"
#include "xbase/file/EngineError.h"

namespace jobs::test {
namespace {

namespace ad = appserver::demo;

std::string Fixed2(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", value);
    return buf;
}

// A number's shortest text: 185.00 -> "185", 12.50 -> "12.5".
std::string Shortest(const std::string& fixed) {
    std::string text = fixed;
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

// The price in effect today: the latest list dated today or earlier; 0 without one.
double PriceToday(const char* product) {
    double price = 0;
    int best = -1000000;
    for (const ad::PriceLine& line : ad::priceLines()) {
        for (const ad::PriceList& list : ad::priceLists()) {
            if (list.number == line.list && std::string(line.product) == product &&
                list.dayOffset <= 0 && list.dayOffset > best) {
                best = list.dayOffset;
                price = line.price;
            }
        }
    }
    return price;
}

class ProductRefreshTest : public JobTest {
protected:
    void Run(RecordingReporter& reporter) {
        ASSERT_TRUE(main_.FormShow(reporter));
        ProductRefresh(main_, reporter);
    }
    MainContext main_;
};

TEST_P(ProductRefreshTest, WritesEveryProductAtItsCurrentPriceAfterUploadingTheOldList) {
    const DbfContents old = ReadDbf(TablePath("detail.dbf"));
    RecordingReporter reporter;
    Run(reporter);

    // The upload reached the server through the provider's apply.
    std::vector<std::string> uploaded;
    for (const DbfRecord& r : old.Live()) {
        uploaded.push_back(JoinRow(
            {r.at("XYZ"), r.at("NAME"), r.at("UNIT"), Shortest(r.at("PRICE")), r.at("TYPE")}));
    }
    EXPECT_EQ(Sorted(ServerRows("SELECT XYZ,NAME,UNIT,PRICE,TYPE FROM DETAIL")), Sorted(uploaded));

    std::vector<std::string> expected;
    bool someWithoutPrice = false;
    bool someRepriced = false;
    for (const ad::Product& p : ad::products()) {
        const double price = PriceToday(p.code);
        someWithoutPrice |= price == 0;
        expected.push_back(JoinRow({p.code, p.name, p.unit, p.packing, Fixed2(price)}));
    }
    for (const ad::PriceLine& line : ad::priceLines()) someRepriced |= line.list == 90003;
    ASSERT_TRUE(someWithoutPrice && someRepriced);  // the demo covers both cases
    const DbfContents now = ReadDbf(TablePath("detail.dbf"));
    EXPECT_EQ(Sorted(now.LiveRows({"XYZ", "NAME", "UNIT", "TYPE", "PRICE"})), Sorted(expected));
    EXPECT_EQ(now.headerCount, old.headerCount + expected.size());
    for (std::size_t i = 0; i < old.records.size(); ++i) EXPECT_TRUE(now.records[i].deleted);

    ASSERT_EQ(reporter.events,
              (std::vector<std::string>{"start", "stop hide", "result 刷新的商品"}));
    const ShownResult& shown = reporter.results.at(0);
    EXPECT_EQ(shown.captions,
              (std::vector<std::string>{"商品代码", "商品名称", "卷烟单位", "商品规格"}));
    std::vector<std::string> codes;
    for (const auto& row : shown.rows) codes.push_back(row[0]);
    // Renamed since the machine's last refresh, and the three it never had.
    EXPECT_EQ(codes,
              (std::vector<std::string>{"6901028008", "6901028028", "6901028029", "6901028030"}));
}

TEST_P(ProductRefreshTest, ASecondRunUploadsOnlyWhatTheMachineHoldsNow) {
    RecordingReporter reporter;
    Run(reporter);
    const DbfContents afterFirst = ReadDbf(TablePath("detail.dbf"));
    Run(reporter);
    EXPECT_EQ(ServerRows("SELECT COUNT(*) FROM DETAIL"),
              std::vector<std::string>{std::to_string(afterFirst.Live().size())});
    EXPECT_TRUE(reporter.results.at(1).rows.empty());
}

TEST_P(ProductRefreshTest, APriceThatDoesNotFitLeavesTheTableAsItWas) {
    run("UPDATE XSTJGGL2 SET PFJG00=123456789 WHERE DHAO00=90002 AND SPDM00='6901028004'");
    const auto before = FileBytes(TablePath("detail.dbf"));
    RecordingReporter reporter;
    ASSERT_TRUE(main_.FormShow(reporter));
    try {
        ProductRefresh(main_, reporter);
        FAIL() << "the refresh went through";
    } catch (const xbase::XBaseError& e) {
        EXPECT_EQ(e.code(), 1011) << e.what();
    }
    EXPECT_EQ(reporter.events, (std::vector<std::string>{"start", "stop"}));
    EXPECT_FALSE(main_.HDS_SKSP.Modified());
    main_.HDS_SKSP.Close();
    EXPECT_EQ(FileBytes(TablePath("detail.dbf")), before);
}

TEST_P(ProductRefreshTest, AFailingServerQueryLeavesTheTableAsItWasAndIsReported) {
    run("DROP TABLE XSTJGGL2");
    const auto before = FileBytes(TablePath("detail.dbf"));
    RecordingReporter reporter;
    ASSERT_TRUE(main_.FormShow(reporter));
    EXPECT_FALSE(RunReported(reporter, [&] { ProductRefresh(main_, reporter); }));
    ASSERT_EQ(reporter.errors.size(), 1u);
    EXPECT_NE(reporter.errors[0].find("XSTJGGL2"), std::string::npos) << reporter.errors[0];
    main_.HDS_SKSP.Close();
    EXPECT_EQ(FileBytes(TablePath("detail.dbf")), before);
}

TEST_P(ProductRefreshTest, AnEmptyMachineTableUploadsNothingAndIsRefilled) {
    jobs::demo::DbfWriter(jobs::demo::ProductLayout()).Write(TablePath("detail.dbf"));
    RecordingReporter reporter;
    Run(reporter);
    EXPECT_EQ(ServerRows("SELECT COUNT(*) FROM DETAIL"), std::vector<std::string>{"0"});
    EXPECT_EQ(ReadDbf(TablePath("detail.dbf")).Live().size(), ad::products().size());
    EXPECT_EQ(reporter.results.at(0).rows.size(), ad::products().size());
}

INSTANTIATE_FOR_BACKENDS(ProductRefreshTest);

}  // namespace
}  // namespace jobs::test
