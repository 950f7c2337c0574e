// Values that are awkward for statement text and for field widths: quotes travel intact
// in both directions, names too long for a field are cut at a character boundary.
#include "JobTestSupport.h"
#include "jobs/CustomerRefresh.h"
#include "jobs/MainContext.h"
#include "jobs/demo/MachineLayouts.h"

namespace jobs::test {
namespace {

class ValuesTravelIntactTest : public JobTest {
protected:
    void Refresh() {
        MainContext main;
        RecordingReporter reporter;
        ASSERT_TRUE(main.FormShow(reporter));
        CustomerRefresh(main, reporter);
    }
};

TEST_P(ValuesTravelIntactTest, AQuoteInANameTravelsBothWays) {
    jobs::demo::DbfWriter machine(jobs::demo::CustomerLayout());
    machine.AddRecord({std::string("330100000000000001"), std::string("O'Brien's 'Tobacco'"),
                       std::string("1 Quay St. ''")});
    machine.Write(TablePath("ke_hu.dbf"));
    run("INSERT INTO GSTDWGL0(DWDM00,DWMC00,SWDJH0,DZ0000,DH0000) VALUES "
        "('K900','O''Brien''s Shop','330100000000000900','Dublin Rd. ''7''','0')");

    Refresh();

    EXPECT_EQ(ServerRows("SELECT NSR_NO,DW_NAME,ADDRE_PHON FROM ke_hu"),
              std::vector<std::string>{"330100000000000001|O'Brien's 'Tobacco'|1 Quay St. ''"});
    bool found = false;
    for (const DbfRecord& r : ReadDbf(TablePath("ke_hu.dbf")).Live()) {
        if (r.at("NSR_NO") != "330100000000000900") continue;
        found = true;
        EXPECT_EQ(r.at("DW_NAME"), "O'Brien's Shop");
        EXPECT_EQ(r.at("ADDRE_PHON"), "Dublin Rd. '7' 0");
    }
    EXPECT_TRUE(found);
}

TEST_P(ValuesTravelIntactTest, ANameLongerThanItsFieldIsCutAtACharacterBoundary) {
    // One ASCII letter and 25 two-byte characters: 51 bytes for a 50-byte field, so a
    // byte cut would split the last character.
    std::string name = "A";
    for (int i = 0; i < 25; ++i) name += "烟";
    run("INSERT INTO GSTDWGL0(DWDM00,DWMC00,SWDJH0,DZ0000,DH0000) VALUES "
        "('K901','" +
        name + "','330100000000000901',NULL,NULL)");

    Refresh();

    std::string expected = "A";
    for (int i = 0; i < 24; ++i) expected += "烟";
    bool found = false;
    for (const DbfRecord& r : ReadDbf(TablePath("ke_hu.dbf")).Live()) {
        if (r.at("NSR_NO") != "330100000000000901") continue;
        found = true;
        EXPECT_EQ(r.at("DW_NAME"), expected);
        EXPECT_EQ(r.at("ADDRE_PHON"), "");  // one blank: null address and telephone
    }
    EXPECT_TRUE(found);
}

INSTANTIATE_FOR_BACKENDS(ValuesTravelIntactTest);

}  // namespace
}  // namespace jobs::test
