// The explanation texts under the main window's three job buttons, line by line.
#pragma once

#include <QStringList>

namespace ui {

QStringList CustomerRefreshText();  // under "客户刷新"
QStringList InvoiceReadInText();    // under "发票读入"
QStringList ProductRefreshText();   // under "商品刷新"

}  // namespace ui
