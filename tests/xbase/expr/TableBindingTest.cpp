// Expressions bound to a table file through TableExprLink: field variables follow the
// table's record buffer as the cursor moves; the table functions see its position.
#include <gtest/gtest.h>

#include "../table/TableTestSupport.h"
#include "xbase/expr/ExprHandler.h"
#include "xbase/expr/TableExprLink.h"
#include "xbase/file/EngineError.h"
#include "xbase/table/DbfFile.h"

namespace {

TEST(ExprTableBinding, FieldsFollowTheCursor) {
    tabletest::TempDir dir;
    const std::string path = dir.path() + "/T.DBF";
    tabletest::TableShape shape;
    shape.fields = {{"NAME", 'C', 10}, {"PRICE", 'N', 8, 2}, {"DDATE", 'D', 8}};
    shape.recordsHaveFlag = true;
    shape.records = {" BEIJING      12.5020070315", "*Shanghai    300.00        ",
                     " beihai       99.9919991231"};
    tabletest::WriteFile(path, tabletest::BuildTable(shape));

    xbase::DbfFile table(path, true, false);
    xbase::TableExprLink link(table);
    xbase::ExprHandler filter(&link, false, "(UPPER(NAME) = 'BEI*') .AND. (PRICE > 10)");
    xbase::ExprHandler key(&link, false,
                           "DTOS(DDATE) + STR(RECNO(), 3) + IIF(DELETED(), '*', ' ')");
    std::vector<std::string> keys;
    std::vector<bool> passes;
    for (table.GoTo(xbase::move::First); !table.Eof(); table.GoTo(xbase::move::Next)) {
        passes.push_back(filter.Evaluate().logical);
        keys.emplace_back(key.Evaluate().text);
    }
    EXPECT_EQ(passes, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(keys, (std::vector<std::string>{"20070315  1 ", "          2*", "19991231  3 "}));
}

TEST(ExprTableBinding, UnreadableNumberIsTheEnginesError) {
    tabletest::TempDir dir;
    const std::string path = dir.path() + "/BAD.DBF";
    tabletest::TableShape shape;
    shape.fields = {{"QTY", 'N', 5}};
    shape.records = {"1 2  "};
    tabletest::WriteFile(path, tabletest::BuildTable(shape));
    xbase::DbfFile table(path, true, false);
    table.GoTo(1);
    xbase::TableExprLink link(table);
    xbase::ExprHandler h(&link, false, "QTY + 1");
    EXPECT_THROW(h.Evaluate(), xbase::XBaseError);
}

}  // namespace
