// The refresh commands as a person runs them on a machine folder: a missing sales
// database, an empty one and --allow-empty, each step's exit status and words.
#include <gtest/gtest.h>

#include <cstdlib>

#include "CliTestSupport.h"
#include "platform/TempDir.h"

namespace {

using clitest::Taxbridge;

TEST(JobCommands, NoSalesDataNeverEmptiesTheMachineUnlessAskedTo) {
    platform_test::TempDir dir;
    setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
    setenv("TAXBRIDGE_SERVERS_CONF", dir.file("none.conf").c_str(), 1);
    const std::string drive = "C=" + dir.file("c");
    const std::string database = dir.file("data") + "/taxbridge/sales.db";
    ASSERT_EQ(Taxbridge({"demo", "init", dir.file("c") + "/tax"}).status, 0);

    const struct {
        std::vector<std::string> args;
        int status;
        std::string out;  // a line of stdout, or of stderr when the status is not 0
    } steps[] = {
        {{"customers", "--drive", drive},
         1,
         "taxbridge: There is no sales database: the file " + database +
             " does not exist. Make one with 'taxbridge server init' (an empty sales schema) or "
             "'taxbridge server init-demo' (the demo sales data)."},
        {{"server", "init"}, 0, "sales schema ready in SQLite database " + database},
        {{"products", "--drive", drive},
         1,
         "taxbridge: The sales system returned no products: detail.dbf keeps its records. No "
         "table was changed. Run with --allow-empty to empty it on purpose."},
        {{"customers", "--drive", drive},
         1,
         "taxbridge: The sales system returned no customers: ke_hu.dbf keeps its records. No "
         "table was changed. Run with --allow-empty to empty it on purpose."},
        {{"customers", "--allow-empty", "--drive", drive}, 0, "刷新的客户"},
        {{"products", "--allow-empty", "--drive", drive}, 0, "刷新的商品"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.args.front());
        const clitest::RunResult result = Taxbridge(step.args);
        EXPECT_EQ(result.status, step.status) << result.err;
        const std::string& text = step.status == 0 ? result.out : result.err;
        EXPECT_NE(text.find(step.out + "\n"), std::string::npos) << text;
    }
}

}  // namespace
