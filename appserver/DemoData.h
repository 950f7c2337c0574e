// The demo data set of the sales system: customers with bank accounts, cigarette
// products with price lists of different effective days, sales orders of yesterday and
// today, and the tax-control machine's invoices for those orders. Dates are days
// relative to the day the data is loaded, so the price lists and orders always fall on
// the same days around "today".
//
// The machine-side demo tables (FA_PIAO.dbf, fpadd.dbf, ke_hu.dbf, BANK.dbf,
// detail.dbf) are written from the same lists (machineInvoices() gives the invoices
// with their lines ready to store), so both sides of the demo match.
#pragma once

#include <string>
#include <vector>

namespace appserver {

class Backend;

namespace demo {

constexpr double kTaxRate = 0.13;  // VAT on cigarettes

struct Customer {
    const char* code;     // DWDM00
    const char* name;     // DWMC00
    const char* taxNo;    // SWDJH0; nullptr: not registered (never sent to the machine)
    const char* address;  // DZ0000 (nullptr: none)
    const char* phone;    // DH0000 (nullptr: none)
};

struct BankAccount {
    const char* customer;  // DWDM00
    int seq;
    const char* bank;     // KHYH00
    const char* account;  // YHZH00
};

struct Product {
    const char* code;     // SPDM00
    const char* name;     // SPMC00
    const char* unit;     // JYDW00
    const char* packing;  // SPGG00
};

struct PriceList {
    long number;       // DHAO00
    int dayOffset;     // QYRQ00 = today + dayOffset
    const char* note;  // BZ0000
};

struct PriceLine {
    long list;
    const char* product;
    double price;  // PFJG00, per unit, without tax
};

struct SalesOrder {
    long number;  // DHAO00
    const char* customer;
    int dayOffset;  // XSRQ00 = today + dayOffset (-1 yesterday, 0 today)
};

struct OrderLine {
    long order;
    const char* product;
    double quantity;
    double price;  // DJIA00
};

// A machine invoice with its lines, as the machine stores it.
struct InvoiceLine {
    std::string name, packing, unit;
    double quantity = 0, price = 0, amount = 0, tax = 0;
};
struct MachineInvoice {
    std::string number;  // FP_NO, 8 digits
    std::string book;    // FP_NO10, 10 digits
    int dayOffset = 0;   // FP_DATE
    long order = 0;      // written into the remark FP_MEM
    std::string customerName, taxNo, addressPhone, bankAccount;
    std::vector<InvoiceLine> lines;  // up to 3 go into JIAO_n_*, more into fpadd.dbf
    bool registered = false;         // already in the sales system's XSTXSFP1
    double amount() const;
    double tax() const;
};

const std::vector<Customer>& customers();
const std::vector<BankAccount>& bankAccounts();
const std::vector<Product>& products();
const std::vector<PriceList>& priceLists();
const std::vector<PriceLine>& priceLines();
const std::vector<SalesOrder>& salesOrders();
const std::vector<OrderLine>& orderLines();
// One invoice per sales order; one invoice deliberately bills a quantity other than
// its order's, so the check window has a difference to show.
std::vector<MachineInvoice> machineInvoices();

// "yyyy-mm-dd" of today + dayOffset (local time).
std::string dayText(int dayOffset);
// Amounts are rounded to cents.
double roundCents(double value);

}  // namespace demo

// Replaces the sales data of a session with the demo data set (one transaction).
void loadDemo(Backend& db);
// The same for the server a computer name stands for (the empty name: the embedded
// default database), creating the database and its schema when missing.
void initDemo(const std::string& serverName);

}  // namespace appserver
