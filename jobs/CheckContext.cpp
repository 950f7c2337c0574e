#include "jobs/CheckContext.h"

#include <exception>
#include <memory>

#include "data/FloatField.h"
#include "data/StringField.h"
#include "jobs/JobReporter.h"
#include "jobs/ReadInDate.h"
#include "jobs/ServerConnection.h"
#include "jobs/Statements.h"

namespace jobs {

namespace {

void AddText(appserver::ClientDataSet& d, const char* name, int size) {
    d.AddField(std::make_unique<data::StringField>(name, size));
}

void AddFloat(appserver::ClientDataSet& d, const char* name) {
    d.AddField(std::make_unique<data::FloatField>(name));
}

constexpr int kLineParams = 16;

}  // namespace

CheckContext::CheckContext() {
    BindClientDataSet(cds_temp, DCOMConnection1, "cds_temp", "dsp_temp");
    BindClientDataSet(cds_storeok, DCOMConnection1, "cds_storeok", "dsP_strorokqz");
    BindClientDataSet(cds_gstsker_dhao, DCOMConnection1, "cds_gstsker_dhao", "DSP_GSVSKER_DHAO");
    BindClientDataSet(CDS_GSVSKER_SLBJ, DCOMConnection1, "CDS_GSVSKER_SLBJ", "DSP_GSVSKER_SLBJ");
    BindClientDataSet(CDS_KCJG, DCOMConnection1, "CDS_KCJG", "DSP_QZCKKCJG");

    AddFloat(cds_gstsker_dhao, "DHAO00");
    AddText(cds_gstsker_dhao, "FP_NO", 8);
    AddText(cds_gstsker_dhao, "FP_NO10", 10);
    AddText(cds_gstsker_dhao, "FP_DW", 50);
    AddText(cds_gstsker_dhao, "FP_NSR_NO", 16);

    AddText(CDS_GSVSKER_SLBJ, "SPMC00", 30);
    for (const char* name : {"JIAO_1_4", "DJIA00", "JIAO_1_3", "SL0000", "JIAO_1_5", "JE0000",
                             "JIAO_1_7", "SE0000", "SKJS00"}) {
        AddFloat(CDS_GSVSKER_SLBJ, name);
    }
    for (int i = 0; i < kLineParams; ++i) {
        CDS_GSVSKER_SLBJ.Params().Add(i % 2 == 0 ? "FP_NO" : "FP_NO10", data::ftInteger);
    }
}

CheckContext::~CheckContext() = default;

bool CheckContext::FormShow(JobReporter& reporter) {
    return ConnectOnShow(DCOMConnection1, reporter);
}

void CheckContext::FormActivate(JobReporter& reporter) {
    ExecuteText(cds_temp, DeleteOtherDays(ReadInDate()));
    ExecuteText(cds_temp, kDeleteRegisteredInvoices);
    cds_storeok.Execute();
    cds_gstsker_dhao.Close();
    cds_gstsker_dhao.Open();
    cds_gstsker_dhao.First();
    if (cds_gstsker_dhao.RecordCount() > 0) {
        CDS_KCJG.Close();
        CDS_KCJG.Open();
    } else {
        reporter.MessageBox(kNoInvoicesText, kNoInvoicesCaption);
    }
}

void CheckContext::InvoiceClick() {
    if (cds_gstsker_dhao.IsEmpty()) return;
    CDS_GSVSKER_SLBJ.Close();
    for (int i = 0; i < kLineParams; ++i) {
        const char* field = i % 2 == 0 ? "fp_no" : "fp_no10";
        CDS_GSVSKER_SLBJ.Params()[i].SetAsString(cds_gstsker_dhao.FieldByName(field).AsString());
    }
    CDS_GSVSKER_SLBJ.Open();
}

}  // namespace jobs
