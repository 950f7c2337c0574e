#include "jobs/demo/DemoMachineFolder.h"

#include <filesystem>
#include <stdexcept>

#include "jobs/MachineTables.h"
#include "jobs/demo/MachineLayouts.h"

namespace jobs::demo {

namespace ad = appserver::demo;

namespace {

constexpr const char* kSellerTaxNo = "330100143051234";
constexpr const char* kSellerAddress = "杭州市西湖区天目山路226号 0571-88880000";
constexpr const char* kSellerBank = "中国工商银行杭州分行 1202020109900012345";
constexpr const char* kDrawer = "王芳";
constexpr const char* kLineListName = "(详见销货清单)";
constexpr std::size_t kLinesOnInvoice = 3;
constexpr std::size_t kCustomersOnMachine = 26;
constexpr std::size_t kProductsOnMachine = 27;

DbfValue Text(const std::string& text) { return text; }
DbfValue Number(double value) { return value; }

std::string AntiForgeryCode(const std::string& number) {
    std::string code = "8837" + number + "00000000";
    for (std::size_t i = 4; i < code.size(); ++i) {
        code[i] = static_cast<char>('0' + (code[i] - '0' + static_cast<int>(i) * 7) % 10);
    }
    return code;
}

std::string Join(const char* a, const char* b) {
    return std::string(a ? a : "") + " " + (b ? b : "");
}

void WriteCustomers(const std::string& dir) {
    DbfWriter table(CustomerLayout());
    DbfWriter banks(BankLayout());
    std::size_t written = 0;
    for (const ad::Customer& c : ad::customers()) {
        if (!c.taxNo || written == kCustomersOnMachine) continue;
        std::string name = c.name;
        std::string addressPhone = Join(c.address, c.phone);
        // Changed in the sales system since the machine's last refresh.
        if (std::string(c.code) == "K005") addressPhone = Join("杭州市江干区笕桥老街2号", c.phone);
        if (std::string(c.code) == "K012") name = "千岛湖便利店";
        table.AddRecord({Text(c.taxNo), Text(name), Text(addressPhone)});
        for (const ad::BankAccount& b : ad::bankAccounts()) {
            if (std::string(b.customer) == c.code && b.seq == 1) {
                banks.AddRecord({Text(c.taxNo), Text(Join(b.bank, b.account))});
            }
        }
        if (written == 4) {
            table.AddRecord({Text("330102196801010999"), Text("解放路烟杂店"),
                             Text("杭州市上城区解放路99号 0571-87019999")},
                            true);
            banks.AddRecord({Text("330102196801010999"), Text("杭州银行 1202000000999")}, true);
        }
        ++written;
    }
    table.AddRecord({Text("330106196501010888"), Text("已停业烟酒店"),
                     Text("杭州市西湖区古荡路3号 0571-88010888")});
    table.AddRecord({Text("330106196501010777"), Text("古荡小卖部"), Text(" ")}, true);
    table.Write(dir + "/" + kCustomerTable);
    banks.Write(dir + "/" + kBankTable);
}

double OldPrice(const char* product) {
    for (const ad::PriceLine& line : ad::priceLines()) {
        if (line.list == ad::priceLists().front().number && std::string(line.product) == product) {
            return line.price;
        }
    }
    return 0;
}

void WriteProducts(const std::string& dir) {
    DbfWriter table(ProductLayout());
    const std::vector<ad::Product>& products = ad::products();
    for (std::size_t i = 0; i < products.size() && i < kProductsOnMachine; ++i) {
        const ad::Product& p = products[i];
        std::string name = i == 7 ? "利群(老版)" : p.name;  // renamed since
        table.AddRecord(
            {Text(p.code), Text(name), Text(p.unit), Number(OldPrice(p.code)), Text(p.packing)});
        if (i == 10) {
            table.AddRecord({Text("6901020999"), Text("大红鹰(软)"), Text("条"), Number(95),
                             Text("84mm×20支×10包")},
                            true);
        }
    }
    table.AddRecord(
        {Text("6901020998"), Text("西湖(软)"), Text("条"), Number(60), Text("84mm×20支×10包")});
    table.AddRecord(
        {Text("6901020997"), Text("雄狮(硬)"), Text("条"), Number(70), Text("84mm×20支×10包")},
        true);
    table.Write(dir + "/" + kProductTable);
}

// A voided and then deleted invoice of today, with its deleted line list.
ad::MachineInvoice DeletedInvoice() {
    ad::MachineInvoice invoice = ad::machineInvoices().back();
    invoice.number = kDeletedInvoiceNumber;
    invoice.order = 0;
    while (invoice.lines.size() <= kLinesOnInvoice) invoice.lines.push_back(invoice.lines.front());
    return invoice;
}

void WriteInvoices(const std::string& dir) {
    DbfWriter invoices(InvoiceLayout());
    DbfWriter lines(InvoiceLineLayout());
    for (const ad::MachineInvoice& invoice : ad::machineInvoices()) {
        invoices.AddRecord(InvoiceRecord(invoice, DemoDay(invoice.dayOffset)));
        for (const auto& line : InvoiceLineRecords(invoice)) lines.AddRecord(line);
    }
    ad::MachineInvoice deleted = DeletedInvoice();
    invoices.AddRecord(InvoiceRecord(deleted, DemoDay(deleted.dayOffset)), true);
    for (const auto& line : InvoiceLineRecords(deleted)) lines.AddRecord(line, true);
    invoices.Write(dir + "/" + kInvoiceTable);
    lines.Write(dir + "/" + kInvoiceLineTable);
}

}  // namespace

platform::CivilDate DemoDay(int dayOffset) {
    auto date = platform::ParseDate(ad::dayText(dayOffset), "yyyy-mm-dd", '-');
    if (!date)
        throw std::runtime_error("no calendar date for day offset " + std::to_string(dayOffset));
    return *date;
}

std::vector<DbfValue> InvoiceRecord(const ad::MachineInvoice& invoice,
                                    const platform::CivilDate& day) {
    // Item lines: name, pack size, unit price / quantity, amount, tax.
    DbfValue item[3][6];
    if (invoice.lines.size() <= kLinesOnInvoice) {
        for (std::size_t i = 0; i < invoice.lines.size(); ++i) {
            const ad::InvoiceLine& l = invoice.lines[i];
            item[i][0] = Text(l.name);
            item[i][1] = Text(l.packing);
            item[i][2] = Number(l.price);
            item[i][3] = Number(l.quantity);
            item[i][4] = Number(l.amount);
            item[i][5] = Number(l.tax);
        }
    } else {
        item[0][0] = Text(kLineListName);
        item[0][4] = Number(invoice.amount());
        item[0][5] = Number(invoice.tax());
    }
    const double amount = invoice.amount();
    const double tax = invoice.tax();
    return {Text(invoice.taxNo),
            Text(invoice.customerName),
            Text(invoice.addressPhone),
            Text(kSellerName),
            Text(kSellerTaxNo),
            Text(kSellerAddress),
            Text(invoice.bankAccount),
            Text(kSellerBank),
            item[0][0],
            item[0][1],
            item[0][2],
            item[1][0],
            item[1][1],
            item[1][2],
            item[2][0],
            item[2][1],
            item[2][2],
            Text(kDrawer),
            day,
            Text(invoice.number),
            Text(invoice.book),
            item[0][3],
            item[0][4],
            item[0][5],
            item[1][3],
            item[1][4],
            item[1][5],
            item[2][3],
            item[2][4],
            item[2][5],
            Number(ad::kTaxRate),
            Number(amount),
            Number(tax),
            Number(ad::roundCents(amount + tax)),
            Number(0),
            Text(invoice.order ? std::to_string(invoice.order) : std::string()),
            Text(AntiForgeryCode(invoice.number)),
            Text("0"),
            Text(invoice.order ? "0" : "1"),
            Text("0"),
            invoice.order ? DbfValue{} : DbfValue{day}};
}

std::vector<std::vector<DbfValue>> InvoiceLineRecords(const ad::MachineInvoice& invoice) {
    std::vector<std::vector<DbfValue>> records;
    if (invoice.lines.size() <= kLinesOnInvoice) return records;
    for (const ad::InvoiceLine& l : invoice.lines) {
        records.push_back({Text(invoice.book), Text(invoice.number), Text(l.name), Text(l.packing),
                           Text(l.unit), Number(l.quantity), Number(l.price), Number(l.amount),
                           Number(ad::kTaxRate), Number(l.tax)});
    }
    return records;
}

void WriteDemoMachineFolder(const std::string& hostDirectory) {
    std::filesystem::create_directories(hostDirectory);
    WriteCustomers(hostDirectory);
    WriteProducts(hostDirectory);
    WriteInvoices(hostDirectory);
}

}  // namespace jobs::demo
