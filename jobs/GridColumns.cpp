#include "jobs/GridColumns.h"

namespace jobs {

const std::vector<GridColumn>& CustomerResultColumns() {
    static const std::vector<GridColumn> columns = {
        {"DWMC00", "单位名称", 189, 0},
        {"DZ0000||''||DH0000", "地址电话", 260, 0},
        {"SWDJH0", "税务登记号", 100, 0},
    };
    return columns;
}

const std::vector<GridColumn>& ProductResultColumns() {
    static const std::vector<GridColumn> columns = {
        {"SPDM00", "商品代码", 125, 0},
        {"SPMC00", "商品名称", 181, 0},
        {"JYDW00", "卷烟单位", 137, 0},
        {"SPGG00", "商品规格", 97, 0},
    };
    return columns;
}

const std::vector<GridColumn>& InvoiceListColumns() {
    static const std::vector<GridColumn> columns = {
        {"DHAO00", "单号", 80, 0},          {"FP_NO", "发票号", 80, 0},
        {"FP_NO10", "发票本编号", 80, 0},   {"FP_DW", "客户名称", 200, 0},
        {"FP_NSR_NO", "税务登记号", 80, 0},
    };
    return columns;
}

const std::vector<GridColumn>& InvoiceLineColumns() {
    static const std::vector<GridColumn> columns = {
        {"SPMC00", "商品名称", 200, 0},  {"JIAO_1_4", "税控单价", 80, 1},
        {"DJIA00", "系统单价", 80, 1},   {"JIAO_1_3", "税控数量", 80, 1},
        {"SL0000", "系统数量", 60, 1},   {"JIAO_1_5", "税控金额", 80, 1},
        {"JIAO_1_7", "税控税额", 80, 1}, {"SKJS00", "税控价税", 88, 1},
    };
    return columns;
}

}  // namespace jobs
