-- The providers of the sales server: what each client dataset bound to it reads,
-- executes and applies. The query texts are Oracle dialect, like every statement the
-- server receives, and are adapted to the backend when they run. Parameters are
-- written as ? and bound in order.

-- Runs whatever statement text the client sends: the jobs' truncations, uploads,
-- deletions and ad-hoc queries.
INSERT INTO TB_PROVIDER (PROVIDER_NAME, DESCRIPTION, SELECT_SQL, EXECUTE_SQL, PARAMS, APPLY_TABLE, ACCEPTS_COMMAND_TEXT)
VALUES ('dsp_temp', 'Runs the statement text the client sends', NULL, NULL, NULL, NULL, 1);

-- The machine's product rows uploaded by the product refresh: opening shows what is
-- already uploaded; applied rows are stored in DETAIL.
INSERT INTO TB_PROVIDER (PROVIDER_NAME, DESCRIPTION, SELECT_SQL, EXECUTE_SQL, PARAMS, APPLY_TABLE, ACCEPTS_COMMAND_TEXT)
VALUES ('dsp_gstsker_kh', 'Products uploaded from the tax-control machine',
'SELECT XYZ,NAME,UNIT,PRICE,TYPE FROM DETAIL', NULL, NULL, 'DETAIL', 0);

-- What the customer refresh changes on the machine: every sales-system customer with a
-- tax registration number whose name, address or telephone the machine did not hold
-- (new customers and changed ones), compared with the uploaded KE_HU rows. The middle
-- column is the address joined to the telephone, named by its expression.
INSERT INTO TB_PROVIDER (PROVIDER_NAME, DESCRIPTION, SELECT_SQL, EXECUTE_SQL, PARAMS, APPLY_TABLE, ACCEPTS_COMMAND_TEXT)
VALUES ('DSP_QZKHSQ', 'Customers the customer refresh adds or changes on the machine',
'SELECT DWMC00,DZ0000||''''||DH0000,SWDJH0 FROM GSTDWGL0 G WHERE SWDJH0 IS NOT NULL AND NOT EXISTS (SELECT 1 FROM KE_HU K WHERE RTRIM(K.NSR_NO)=G.SWDJH0 AND RTRIM(K.DW_NAME)||''#''=G.DWMC00||''#'' AND RTRIM(K.ADDRE_PHON)||''#''=RTRIM(G.DZ0000||'' ''||G.DH0000)||''#'') ORDER BY SWDJH0',
NULL, NULL, NULL, 0);

-- What the product refresh changes on the machine: every product of the catalogue whose
-- name, unit or pack size the machine did not hold, compared with the uploaded
-- DETAIL rows.
INSERT INTO TB_PROVIDER (PROVIDER_NAME, DESCRIPTION, SELECT_SQL, EXECUTE_SQL, PARAMS, APPLY_TABLE, ACCEPTS_COMMAND_TEXT)
VALUES ('DSP_GSTSKER_SPSQ', 'Products the product refresh adds or changes on the machine',
'SELECT A.SPDM00,A.SPMC00,B.JYDW00,B.SPGG00 FROM GSTJYGL1 A,GSTJYGL0 B WHERE A.SPDM00=B.SPDM00 AND NOT EXISTS (SELECT 1 FROM DETAIL D WHERE RTRIM(D.XYZ)=A.SPDM00 AND RTRIM(D.NAME)||''#''=A.SPMC00||''#'' AND RTRIM(D.UNIT)||''#''=B.JYDW00||''#'' AND RTRIM(D.TYPE)||''#''=B.SPGG00||''#'') ORDER BY A.SPDM00',
NULL, NULL, NULL, 0);

-- Pairs each copied invoice with the sales order it was issued for: the operator writes
-- the order number into the invoice remark (FP_MEM) when issuing it on the machine.
INSERT INTO TB_PROVIDER (PROVIDER_NAME, DESCRIPTION, SELECT_SQL, EXECUTE_SQL, PARAMS, APPLY_TABLE, ACCEPTS_COMMAND_TEXT)
VALUES ('dsP_strorokqz', 'Pairs the copied invoices with their sales orders', NULL,
'DELETE FROM XSTSKDH0; INSERT INTO XSTSKDH0(FP_NO,FP_NO10,DHAO00) SELECT F.FP_NO,F.FP_NO10,O.DHAO00 FROM FA_PIAO F,XSTXSDD0 O WHERE RTRIM(F.FP_MEM)=TO_CHAR(O.DHAO00)',
NULL, NULL, 0);

-- The copied invoices, each with the sales order it belongs to (none when no order
-- carries the number written in its remark).
INSERT INTO TB_PROVIDER (PROVIDER_NAME, DESCRIPTION, SELECT_SQL, EXECUTE_SQL, PARAMS, APPLY_TABLE, ACCEPTS_COMMAND_TEXT)
VALUES ('DSP_GSVSKER_DHAO', 'Copied invoices with their sales orders',
'SELECT P.DHAO00,F.FP_NO,F.FP_NO10,F.FP_DW,F.FP_NSR_NO FROM FA_PIAO F LEFT JOIN XSTSKDH0 P ON P.FP_NO=F.FP_NO AND P.FP_NO10=F.FP_NO10 ORDER BY F.FP_NO10,F.FP_NO',
NULL, NULL, NULL, 0);

-- One invoice's lines beside its sales order's lines, matched by product name: the
-- machine's unit price, quantity, amount and tax (from the invoice's three item
-- lines, or from its line list in FAADD when it has one) and the order's. The
-- parameters are the invoice number and book number, eight times: three item lines
-- (each also asks whether a line list exists), the line list, and the order pairing.
INSERT INTO TB_PROVIDER (PROVIDER_NAME, DESCRIPTION, SELECT_SQL, EXECUTE_SQL, PARAMS, APPLY_TABLE, ACCEPTS_COMMAND_TEXT)
VALUES ('DSP_GSVSKER_SLBJ', 'An invoice''s lines beside its sales order''s lines',
'SELECT NVL(M.MC,S.SPMC00) SPMC00,M.DJ JIAO_1_4,S.DJIA00,M.SL JIAO_1_3,S.SL0000,M.JE JIAO_1_5,S.JE0000,M.SE JIAO_1_7,S.SE0000,NVL(M.JE,0)+NVL(M.SE,0) SKJS00 FROM (
 SELECT RTRIM(JIAO_1_1) MC,TO_NUMBER(JIAO_1_4) DJ,TO_NUMBER(JIAO_1_3) SL,TO_NUMBER(JIAO_1_5) JE,TO_NUMBER(JIAO_1_7) SE FROM FA_PIAO WHERE FP_NO=? AND FP_NO10=? AND JIAO_1_1 IS NOT NULL AND NOT EXISTS (SELECT 1 FROM FAADD WHERE FP_NO=? AND FP_NO10=?)
 UNION ALL SELECT RTRIM(JIAO_2_1),TO_NUMBER(JIAO_2_4),TO_NUMBER(JIAO_2_3),TO_NUMBER(JIAO_2_5),TO_NUMBER(JIAO_2_7) FROM FA_PIAO WHERE FP_NO=? AND FP_NO10=? AND JIAO_2_1 IS NOT NULL AND NOT EXISTS (SELECT 1 FROM FAADD WHERE FP_NO=? AND FP_NO10=?)
 UNION ALL SELECT RTRIM(JIAO_3_1),TO_NUMBER(JIAO_3_4),TO_NUMBER(JIAO_3_3),TO_NUMBER(JIAO_3_5),TO_NUMBER(JIAO_3_7) FROM FA_PIAO WHERE FP_NO=? AND FP_NO10=? AND JIAO_3_1 IS NOT NULL AND NOT EXISTS (SELECT 1 FROM FAADD WHERE FP_NO=? AND FP_NO10=?)
 UNION ALL SELECT RTRIM(NAME),TO_NUMBER(DAN_JIA),TO_NUMBER(MUCH),TO_NUMBER(JIN_E),TO_NUMBER(SHUI_E) FROM FAADD WHERE FP_NO=? AND FP_NO10=?
) M FULL OUTER JOIN (
 SELECT E.SPMC00,L.DJIA00,L.SL0000,L.JE0000,L.SE0000 FROM XSTSKDH0 P,XSTXSDD1 L,GSTJYGL1 E WHERE P.FP_NO=? AND P.FP_NO10=? AND P.DHAO00=L.DHAO00 AND L.SPDM00=E.SPDM00
) S ON M.MC=S.SPMC00 ORDER BY 1',
NULL, 'FP_NO,FP_NO10,FP_NO,FP_NO10,FP_NO,FP_NO10,FP_NO,FP_NO10,FP_NO,FP_NO10,FP_NO,FP_NO10,FP_NO,FP_NO10,FP_NO,FP_NO10', NULL, 0);

-- The products leaving the warehouse for the paired orders: code, name, quantity
-- ordered and order price, for the stock and price check after the read-in.
INSERT INTO TB_PROVIDER (PROVIDER_NAME, DESCRIPTION, SELECT_SQL, EXECUTE_SQL, PARAMS, APPLY_TABLE, ACCEPTS_COMMAND_TEXT)
VALUES ('DSP_QZCKKCJG', 'Products of the paired orders with quantity and price',
'SELECT L.SPDM00,E.SPMC00,SUM(L.SL0000) SL0000,MAX(L.DJIA00) DJIA00 FROM XSTSKDH0 P,XSTXSDD1 L,GSTJYGL1 E WHERE P.DHAO00=L.DHAO00 AND L.SPDM00=E.SPDM00 GROUP BY L.SPDM00,E.SPMC00 ORDER BY L.SPDM00',
NULL, NULL, NULL, 0);
