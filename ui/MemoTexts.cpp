#include "ui/MemoTexts.h"

namespace ui {

QStringList CustomerRefreshText() {
    return {QStringLiteral("将销售管理系统中的专"),
            QStringLiteral("卖客户信息写入税控机"),
            QStringLiteral("中。"),
            QStringLiteral("注：若销售管理系统中"),
            QStringLiteral("的客户名称和税控机客"),
            QStringLiteral("户表中客户名称相同，"),
            QStringLiteral("但其他属性不同，以销"),
            QStringLiteral("售管理系统中的信息为"),
            QStringLiteral("准。")};
}

QStringList InvoiceReadInText() {
    return {QStringLiteral("读入税控机发票信息"),
            QStringLiteral("。"),
            QStringLiteral("注：如销售管理系统"),
            QStringLiteral("客户信息或卷烟信息"),
            QStringLiteral("有变动，请先刷新客"),
            QStringLiteral("户信息或卷烟信息。"),
            QString()};
}

QStringList ProductRefreshText() {
    return {QStringLiteral("将销售管理系统中的"),
            QStringLiteral("卷烟信息写入税控机"),
            QStringLiteral("中。"),
            QStringLiteral("注：若销售管理系统"),
            QStringLiteral("中的卷烟名称和税控"),
            QStringLiteral("机卷烟表中卷烟名称"),
            QStringLiteral("相同，但其他属性不"),
            QStringLiteral("同，以销售管理系统"),
            QStringLiteral("中的信息为准。"),
            QString(),
            QString()};
}

}  // namespace ui
