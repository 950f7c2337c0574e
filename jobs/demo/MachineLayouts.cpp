#include "jobs/demo/MachineLayouts.h"

namespace jobs::demo {

namespace {

DbfField Text(const char* name, int length) { return {name, 'C', length, 0}; }
DbfField Number(const char* name, int length, int decimals) {
    return {name, 'N', length, decimals};
}
DbfField Date(const char* name) { return {name, 'D', 8, 0}; }

}  // namespace

const std::vector<DbfField>& InvoiceLayout() {
    static const std::vector<DbfField> fields = {
        Text("FP_NSR_NO", 20),   // buyer's tax registration number
        Text("FP_DW", 50),       // buyer
        Text("FP_ADD_PH", 80),   // buyer's address and telephone
        Text("S02_1", 50),       // seller
        Text("S02_2", 20),       // seller's tax registration number
        Text("S02_4", 80),       // seller's address and telephone
        Text("FP_BANK_NO", 60),  // buyer's bank and account
        Text("S02_3", 60),       // seller's bank and account
        Text("JIAO_1_1", 30),    // item lines 1-3: name, pack size, unit price
        Text("JIAO_1_2", 20),      Number("JIAO_1_4", 14, 4),
        Text("JIAO_2_1", 30),      Text("JIAO_2_2", 20),
        Number("JIAO_2_4", 14, 4), Text("JIAO_3_1", 30),
        Text("JIAO_3_2", 20),      Number("JIAO_3_4", 14, 4),
        Text("S02_5", 8),  // drawer
        Date("FP_DATE"),           Text("FP_NO", 8),
        Text("FP_NO10", 10),        // invoice book number
        Number("JIAO_1_3", 12, 2),  // item lines 1-3: quantity, amount, tax
        Number("JIAO_1_5", 14, 2), Number("JIAO_1_7", 14, 2),
        Number("JIAO_2_3", 12, 2), Number("JIAO_2_5", 14, 2),
        Number("JIAO_2_7", 14, 2), Number("JIAO_3_3", 12, 2),
        Number("JIAO_3_5", 14, 2), Number("JIAO_3_7", 14, 2),
        Number("FP_RATE", 5, 2),   // tax rate
        Number("LOVER_1", 14, 2),  // total amount, total tax, total with tax, discount
        Number("LOVER_2", 14, 2),  Number("LOVER_3", 14, 2),
        Number("LOVER_4", 14, 2),  Text("FP_MEM", 60),  // remark: the sales order number
        Text("FP_CODE", 20),                            // anti-forgery code
        Text("TYPE1", 1),                               // 0 special VAT invoice
        Text("TYPE2", 1),                               // 0 issued, 1 voided
        Text("TYPE3", 1),                               // 0 not yet reported
        Date("WAST_TIME"),                              // when voided
    };
    return fields;
}

const std::vector<DbfField>& InvoiceLineLayout() {
    static const std::vector<DbfField> fields = {
        Text("FP_NO10", 10),      Text("FP_NO", 8),       Text("NAME", 30),
        Text("GUI_GE", 20),       Text("DAN_WEI", 6),     Number("MUCH", 12, 2),
        Number("DAN_JIA", 14, 4), Number("JIN_E", 14, 2), Number("SL", 5, 2),
        Number("SHUI_E", 14, 2),
    };
    return fields;
}

const std::vector<DbfField>& CustomerLayout() {
    static const std::vector<DbfField> fields = {Text("NSR_NO", 20), Text("DW_NAME", 50),
                                                 Text("ADDRE_PHON", 80)};
    return fields;
}

const std::vector<DbfField>& BankLayout() {
    static const std::vector<DbfField> fields = {Text("NSR_NO", 20), Text("BANK_ZHANG", 60)};
    return fields;
}

const std::vector<DbfField>& ProductLayout() {
    static const std::vector<DbfField> fields = {Text("XYZ", 12), Text("NAME", 30), Text("UNIT", 6),
                                                 Number("PRICE", 10, 2), Text("TYPE", 20)};
    return fields;
}

}  // namespace jobs::demo
