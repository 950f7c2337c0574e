// The demo machine folder as another xBase program reads it, and the table writer's
// refusals.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "JobTestSupport.h"
#include "appserver/DemoData.h"
#include "jobs/demo/DemoMachineFolder.h"

namespace jobs::test {
namespace {

std::string RunPython(const std::string& script) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(
        popen(("/usr/bin/python3 -c '" + script + "' 2>&1").c_str(), "r"), pclose);
    std::string out;
    char buf[4096];
    while (pipe && fgets(buf, sizeof buf, pipe.get())) out += buf;
    return out;
}

TEST(DemoFolder, AnotherXBaseReaderSeesTheTablesTheirDeletedRecordsAndGbkText) {
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("tb_demo_" + std::to_string(getpid()))).string();
    jobs::demo::WriteDemoMachineFolder(dir);
    const std::string out = RunPython(
        "import dbfread\n"
        "for name in [\"FA_PIAO\", \"fpadd\", \"ke_hu\", \"BANK\", \"detail\"]:\n"
        "    t = dbfread.DBF(\"" +
        dir +
        "/\" + name + \".dbf\", encoding=\"gbk\", load=True)\n"
        "    print(name, len(t.records), len(t.deleted))\n"
        "t = dbfread.DBF(\"" +
        dir +
        "/FA_PIAO.dbf\", encoding=\"gbk\", load=True)\n"
        "r = t.records[0]\n"
        "print(r[\"FP_DW\"], r[\"FP_DATE\"].isoformat(), r[\"FP_RATE\"], r[\"WAST_TIME\"])\n");
    std::filesystem::remove_all(dir);

    const auto invoices = appserver::demo::machineInvoices();
    std::size_t listed = 0;
    for (const auto& i : invoices) listed += i.lines.size() > 3 ? i.lines.size() : 0;
    const std::string expected =
        "FA_PIAO " + std::to_string(invoices.size()) + " 1\nfpadd " + std::to_string(listed) +
        " 4\nke_hu 27 2\nBANK 26 1\ndetail 28 2\n" + invoices[0].customerName + " " +
        appserver::demo::dayText(invoices[0].dayOffset) + " 0.13 None\n";
    EXPECT_EQ(out, expected);
}

TEST(DbfWriter, RefusesValuesThatWouldBeWrittenWrong) {
    jobs::demo::DbfWriter table({{"PRICE", 'N', 6, 2}, {"NAME", 'C', 3, 0}, {"DAY", 'D', 8, 0}});
    EXPECT_THROW(table.AddRecord({1234.5}), std::invalid_argument);  // "1234.50" needs 7
    EXPECT_THROW(table.AddRecord({std::string("x")}), std::invalid_argument);
    EXPECT_THROW(table.AddRecord({1.0, std::string("a"), platform::CivilDate{2023, 2, 29}}),
                 std::invalid_argument);
    EXPECT_THROW(jobs::demo::DbfWriter({{"TOOLONGNAME", 'C', 3, 0}}), std::invalid_argument);
    table.AddRecord({999.99, std::string("a烟b")});  // the character that does not fit is left out
    const std::vector<std::uint8_t> bytes = table.Bytes({2024, 5, 6});
    const std::size_t record = 32 + 3 * 32 + 1;
    EXPECT_EQ(std::string(bytes.begin() + record, bytes.begin() + record + 18),
              " 999.99a\xD1\xCC        ");
    EXPECT_EQ(bytes.back(), 0x1A);
}

}  // namespace
}  // namespace jobs::test
