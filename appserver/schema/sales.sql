-- Sales schema, the same tables and columns on every backend; see README.md for the
-- business meaning. Column types are written {text}, {number} and {date} and replaced
-- per backend: SQLite TEXT, NUMERIC and TEXT ('YYYY-MM-DD HH:MM:SS'); PostgreSQL
-- VARCHAR, NUMERIC and TIMESTAMP(0) (Oracle's DATE).

-- Customers (business units) of the sales system
CREATE TABLE GSTDWGL0 (
    DWDM00 {text},  -- unit code, the key bank accounts and orders refer to
    DWMC00 {text},  -- customer name
    SWDJH0 {text},  -- tax registration number; customers without one are not sent to the machine
    DZ0000 {text},  -- address
    DH0000 {text},  -- telephone
    PRIMARY KEY (DWDM00)
);

-- Bank accounts of the customers (several per customer allowed)
CREATE TABLE GSTYHZH0 (
    DWDM00 {text},  -- customer
    XH0000 {number},  -- sequence number within the customer
    KHYH00 {text},  -- bank name
    YHZH00 {text},  -- account number
    PRIMARY KEY (DWDM00,XH0000)
);

-- Product catalogue: name, unit and pack size of each cigarette product
CREATE TABLE GSTJYGL0 (
    SPDM00 {text},  -- product code
    SPMC00 {text},  -- catalogue name
    JYDW00 {text},  -- trading unit
    SPGG00 {text},  -- pack size
    PRIMARY KEY (SPDM00)
);

-- Products this wholesaler trades, with the name it sells them under
CREATE TABLE GSTJYGL1 (
    SPDM00 {text},  -- product code
    SPMC00 {text},  -- product name
    PRIMARY KEY (SPDM00)
);

-- Price lists: one header per list with the day it takes effect
CREATE TABLE XSTJGGL1 (
    DHAO00 {number},  -- price list number
    QYRQ00 {date},  -- effective date
    BZ0000 {text},  -- remark
    PRIMARY KEY (DHAO00)
);

-- Price list lines: wholesale price of a product in a list
CREATE TABLE XSTJGGL2 (
    DHAO00 {number},  -- price list number
    SPDM00 {text},  -- product code
    PFJG00 {number},  -- wholesale price per unit
    PRIMARY KEY (DHAO00,SPDM00)
);

-- Sales orders
CREATE TABLE XSTXSDD0 (
    DHAO00 {number},  -- order number
    DWDM00 {text},  -- customer
    XSRQ00 {date},  -- sales date
    BZ0000 {text},  -- remark
    PRIMARY KEY (DHAO00)
);

-- Sales order lines
CREATE TABLE XSTXSDD1 (
    DHAO00 {number},  -- order number
    SPDM00 {text},  -- product code
    SL0000 {number},  -- quantity
    DJIA00 {number},  -- unit price without tax
    JE0000 {number},  -- amount without tax
    SE0000 {number},  -- tax
    PRIMARY KEY (DHAO00,SPDM00)
);

-- Invoices already registered in the sales system
CREATE TABLE XSTXSFP1 (
    FPHAO0 {text},  -- invoice number
    FPBBH0 {text},  -- invoice book number
    DHAO00 {number},  -- order the invoice was issued for
    KPRQ00 {date},  -- invoice date
    PRIMARY KEY (FPHAO0,FPBBH0)
);

-- Work table: each copied machine invoice with the sales order it belongs to
CREATE TABLE XSTSKDH0 (
    FP_NO {text},  -- invoice number
    FP_NO10 {text},  -- invoice book number
    DHAO00 {number}  -- sales order number
);

-- Upload of the machine's customer table
CREATE TABLE KE_HU (
    NSR_NO {text},
    DW_NAME {text},
    ADDRE_PHON {text}
);

-- Upload of the machine's bank-account table
CREATE TABLE BANK (
    NSR_NO {text},
    BANK_ZHANG {text}
);

-- Upload of the machine's product table
CREATE TABLE DETAIL (
    XYZ {text},
    NAME {text},
    UNIT {text},
    PRICE {text},
    TYPE {text}
);

-- Copy of the machine's invoices of the read-in day (values kept as the machine's text)
CREATE TABLE FA_PIAO (
    FP_NSR_NO {text},
    FP_DW {text},
    FP_ADD_PH {text},
    S02_1 {text},
    S02_2 {text},
    S02_4 {text},
    FP_BANK_NO {text},
    S02_3 {text},
    JIAO_1_1 {text},
    JIAO_1_2 {text},
    JIAO_1_4 {text},
    JIAO_2_1 {text},
    JIAO_2_2 {text},
    JIAO_2_4 {text},
    JIAO_3_1 {text},
    JIAO_3_2 {text},
    JIAO_3_4 {text},
    S02_5 {text},
    FP_DATE {date},
    FP_NO {text},
    FP_NO10 {text},
    JIAO_1_3 {text},
    JIAO_1_5 {text},
    JIAO_1_7 {text},
    JIAO_2_3 {text},
    JIAO_2_5 {text},
    JIAO_2_7 {text},
    JIAO_3_3 {text},
    JIAO_3_5 {text},
    JIAO_3_7 {text},
    FP_RATE {text},
    LOVER_1 {text},
    LOVER_2 {text},
    LOVER_3 {text},
    LOVER_4 {text},
    FP_MEM {text},
    FP_CODE {text},
    TYPE1 {text},
    TYPE2 {text},
    TYPE3 {text},
    WAST_TIME {date}
);

-- Copy of the machine's invoice lines
CREATE TABLE FAADD (
    FP_NO10 {text},
    FP_NO {text},
    NAME {text},
    GUI_GE {text},
    DAN_WEI {text},
    MUCH {text},
    DAN_JIA {text},
    JIN_E {text},
    SL {text},
    SHUI_E {text}
);

-- Providers: named queries the client datasets are bound to
CREATE TABLE TB_PROVIDER (
    PROVIDER_NAME {text},  -- name, matched without regard to case
    DESCRIPTION {text},  -- business meaning
    SELECT_SQL {text},  -- query run when a client dataset opens (Oracle dialect)
    EXECUTE_SQL {text},  -- statements, separated by semicolons, run when the provider is executed without command text
    PARAMS {text},  -- parameter names in order, separated by commas
    APPLY_TABLE {text},  -- table that applied (inserted) rows go to
    ACCEPTS_COMMAND_TEXT {number},  -- 1: runs the command text the client sends
    PRIMARY KEY (PROVIDER_NAME)
);

-- Oracle's one-row table, for statements that select values from no table
CREATE TABLE DUAL (
    DUMMY {text}
);
INSERT INTO DUAL (DUMMY) VALUES ('X');
