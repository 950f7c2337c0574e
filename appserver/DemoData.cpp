#include "appserver/DemoData.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <deque>

#include "appserver/Backend.h"
#include "appserver/NumberText.h"
#include "appserver/ServerDirectory.h"
#include "platform/Clock.h"
#include "platform/DateText.h"

namespace appserver {
namespace demo {

const std::vector<Customer>& customers() {
    static const std::vector<Customer> list = {
        {"K001", "城关烟酒商店", "330102197001010011", "杭州市上城区解放路12号", "0571-87010011"},
        {"K002", "湖滨百货便利店", "330102197001010022", "杭州市上城区湖滨路8号", "0571-87010022"},
        {"K003", "西溪副食品店", "330106197001010033", "杭州市西湖区文二路155号", "0571-88010033"},
        {"K004", "拱宸桥烟草专卖点", "330105197001010044", "杭州市拱墅区丽水路30号",
         "0571-88110044"},
        {"K005", "笕桥超市", "330104197001010055", "杭州市江干区笕桥路66号", "0571-86010055"},
        {"K006", "滨江华联超市", "330108197001010066", "杭州市滨江区江南大道288号",
         "0571-86610066"},
        {"K007", "萧山供销社门市部", "330109197001010077", "杭州市萧山区人民路18号",
         "0571-82610077"},
        {"K008", "余杭临平烟酒行", "330110197001010088", "杭州市余杭区临平南大街9号",
         "0571-86210088"},
        {"K009", "富阳春江商店", "330111197001010099", "杭州市富阳区春江路101号", "0571-63310099"},
        {"K010", "桐庐百货公司", "330122197001010100", "桐庐县迎春南路35号", "0571-64210100"},
        {"K011", "建德新安江商场", "330182197001010111", "建德市新安东路2号", "0571-64710111"},
        {"K012", "淳安千岛湖便利店", "330127197001010122", "淳安县千岛湖镇新安大街77号",
         "0571-65010122"},
        {"K013", "临安锦城烟酒店", "330185197001010133", "临安区钱王街52号", "0571-63710133"},
        {"K014", "下沙学生超市", "330104197001010144", "杭州市钱塘区学林街1号", "0571-86910144"},
        {"K015", "朝晖新村小卖部", "330103197001010155", "杭州市下城区朝晖路20号", "0571-85110155"},
        {"K016", "南星桥杂货店", "330102197001010166", "杭州市上城区复兴路5号", "0571-86010166"},
        {"K017", "九堡批发部", "330104197001010177", "杭州市江干区九堡大道3号", "0571-86920177"},
        {"K018", "转塘烟酒商行", "330106197001010188", "杭州市西湖区转塘街道之江路9号",
         "0571-87090188"},
        {"K019", "闲林日杂店", "330110197001010199", "杭州市余杭区闲林街道闲兴路19号",
         "0571-88630199"},
        {"K020", "良渚文化村便利店", "330110197001010200", "杭州市余杭区良渚街道玉鸟路1号",
         "0571-88770200"},
        {"K021", "瓶窑百货商店", "330110197001010211", "杭州市余杭区瓶窑镇凤都路12号",
         "0571-88530211"},
        {"K022", "塘栖古镇烟酒店", "330110197001010222", "杭州市余杭区塘栖镇水北街6号",
         "0571-86370222"},
        {"K023", "瓜沥商贸公司", "330109197001010233", "杭州市萧山区瓜沥镇航坞路8号",
         "0571-82550233"},
        {"K024", "义蓬副食商店", "330109197001010244", "杭州市钱塘区义蓬街道义府大街21号",
         "0571-82970244"},
        {"K025", "分水镇供销店", "330122197001010255", "桐庐县分水镇大街3号", "0571-64390255"},
        {"K026", "梅城小商品店", "330182197001010266", "建德市梅城镇正大街10号", "0571-64150266"},
        {"K027", "於潜烟酒行", "330185197001010277", "临安区於潜镇环北路15号", "0571-63770277"},
        {"K028", "新登镇百货店", nullptr, "杭州市富阳区新登镇城中路2号", "0571-63350288"},
        {"K029", "场口便民店", "330111197001010299", nullptr, nullptr},
        {"K030", "大源农家超市", "330111197001010300", "杭州市富阳区大源镇大源路30号",
         "0571-63450300"},
        {"K031", "仓前科技园小卖部", nullptr, "杭州市余杭区仓前街道文一西路1号", "0571-88690311"},
        {"K032", "三墩烟酒商店", "330106197001010322", "杭州市西湖区三墩镇振华路88号",
         "0571-88960322"},
    };
    return list;
}

const std::vector<BankAccount>& bankAccounts() {
    static const std::vector<BankAccount> list = [] {
        static const char* const banks[] = {"中国工商银行杭州分行", "中国农业银行杭州分行",
                                            "中国建设银行杭州分行", "杭州银行", "浙江农村信用社"};
        static std::deque<std::string> accounts;  // storage for the generated numbers
        std::vector<BankAccount> out;
        int n = 0;
        for (const Customer& c : customers()) {
            int count = (n % 7 == 3) ? 2 : 1;  // some customers keep two accounts
            for (int seq = 1; seq <= count; ++seq) {
                char number[64];
                std::snprintf(number, sizeof number, "1202%04d%02d%08d", 2000 + n, seq,
                              10000000 + n * 37 + seq);
                accounts.emplace_back(number);
                out.push_back({c.code, seq, banks[(n + seq) % 5], accounts.back().c_str()});
            }
            ++n;
        }
        return out;
    }();
    return list;
}

const std::vector<Product>& products() {
    static const std::vector<Product> list = {
        {"6901028001", "中华(硬)", "条", "84mm×20支×10包"},
        {"6901028002", "中华(软)", "条", "84mm×20支×10包"},
        {"6901028003", "玉溪(软)", "条", "84mm×20支×10包"},
        {"6901028004", "红塔山(经典)", "条", "84mm×20支×10包"},
        {"6901028005", "云烟(紫)", "条", "84mm×20支×10包"},
        {"6901028006", "芙蓉王(硬)", "条", "84mm×20支×10包"},
        {"6901028007", "黄鹤楼(软蓝)", "条", "84mm×20支×10包"},
        {"6901028008", "利群(新版)", "条", "84mm×20支×10包"},
        {"6901028009", "南京(红)", "条", "84mm×20支×10包"},
        {"6901028010", "双喜(硬)", "条", "84mm×20支×10包"},
        {"6901028011", "红河(软)", "条", "84mm×20支×10包"},
        {"6901028012", "白沙(精品)", "条", "84mm×20支×10包"},
        {"6901028013", "真龙(凌云)", "条", "84mm×20支×10包"},
        {"6901028014", "娇子(蓝)", "条", "84mm×20支×10包"},
        {"6901028015", "黄金叶(大金圆)", "条", "84mm×20支×10包"},
        {"6901028016", "七匹狼(红)", "条", "84mm×20支×10包"},
        {"6901028017", "泰山(红将军)", "条", "84mm×20支×10包"},
        {"6901028018", "钻石(荷花)", "条", "97mm×20支×10包"},
        {"6901028019", "贵烟(跨越)", "条", "84mm×20支×10包"},
        {"6901028020", "苏烟(五星红杉树)", "条", "84mm×20支×10包"},
        {"6901028021", "长白山(777)", "条", "84mm×20支×10包"},
        {"6901028022", "红双喜(上海)", "条", "84mm×20支×10包"},
        {"6901028023", "牡丹(软)", "条", "84mm×20支×10包"},
        {"6901028024", "大前门(短支)", "条", "74mm×20支×10包"},
        {"6901028025", "红金龙(硬神州)", "条", "84mm×20支×10包"},
        {"6901028026", "好猫(金丝猴)", "条", "84mm×20支×10包"},
        {"6901028027", "黄山(红方印)", "条", "84mm×20支×10包"},
        {"6901028028", "兰州(硬珍品)", "条", "84mm×20支×10包"},
        {"6901028029", "人民大会堂(硬红)", "条", "84mm×20支×10包"},
        {"6901028030", "延安(1935)", "条", "84mm×20支×10包"},
    };
    return list;
}

const std::vector<PriceList>& priceLists() {
    static const std::vector<PriceList> list = {
        {90001, -60, "年初调价"},
        {90002, -10, "本月调价"},
        {90003, 1, "明日执行的新价格"},
    };
    return list;
}

const std::vector<PriceLine>& priceLines() {
    static const std::vector<PriceLine> list = [] {
        std::vector<PriceLine> out;
        const std::vector<Product>& ps = products();
        // The first list prices all but the last three products; the second reprices
        // every third product; tomorrow's list reprices every fifth.
        for (size_t i = 0; i + 3 < ps.size(); ++i) {
            double base = 80.0 + static_cast<double>((i * 53) % 400);
            out.push_back({90001, ps[i].code, base});
            if (i % 3 == 0) out.push_back({90002, ps[i].code, base + 10});
            if (i % 5 == 0) out.push_back({90003, ps[i].code, base + 25});
        }
        return out;
    }();
    return list;
}

const std::vector<SalesOrder>& salesOrders() {
    static const std::vector<SalesOrder> list = {
        {10001, "K001", -1}, {10002, "K003", -1}, {10003, "K006", -1}, {10004, "K010", -1},
        {10005, "K014", -1}, {10006, "K020", -1}, {10007, "K002", 0},  {10008, "K005", 0},
        {10009, "K009", 0},  {10010, "K017", 0},  {10011, "K024", 0},  {10012, "K032", 0},
    };
    return list;
}

namespace {

// The price in effect on a day offset (latest list on or before it), 0 when none.
double priceOn(const char* product, int dayOffset) {
    double price = 0;
    int best = -100000;
    for (const PriceLine& line : priceLines()) {
        for (const PriceList& list : priceLists()) {
            if (list.number == line.list && std::string(line.product) == product &&
                list.dayOffset <= dayOffset && list.dayOffset >= best) {
                best = list.dayOffset;
                price = line.price;
            }
        }
    }
    return price;
}

const Product& productByCode(const std::string& code) {
    for (const Product& p : products()) {
        if (code == p.code) return p;
    }
    return products().front();
}

const Customer& customerByCode(const std::string& code) {
    for (const Customer& c : customers()) {
        if (code == c.code) return c;
    }
    return customers().front();
}

}  // namespace

const std::vector<OrderLine>& orderLines() {
    static const std::vector<OrderLine> list = [] {
        std::vector<OrderLine> out;
        const std::vector<Product>& ps = products();
        size_t k = 0;
        for (const SalesOrder& order : salesOrders()) {
            // Orders carry two to five lines; the fourth and later go to the line list.
            size_t count = 2 + static_cast<size_t>(order.number % 4);
            for (size_t j = 0; j < count; ++j) {
                const Product& p = ps[(k * 7 + j * 3) % (ps.size() - 3)];
                double quantity = static_cast<double>(1 + (k + j) % 5) * 5;
                out.push_back({order.number, p.code, quantity, priceOn(p.code, order.dayOffset)});
            }
            ++k;
        }
        return out;
    }();
    return list;
}

double MachineInvoice::amount() const {
    double sum = 0;
    for (const InvoiceLine& l : lines) sum += l.amount;
    return roundCents(sum);
}

double MachineInvoice::tax() const {
    double sum = 0;
    for (const InvoiceLine& l : lines) sum += l.tax;
    return roundCents(sum);
}

std::vector<MachineInvoice> machineInvoices() {
    std::vector<MachineInvoice> out;
    int n = 0;
    for (const SalesOrder& order : salesOrders()) {
        MachineInvoice inv;
        char number[32];
        std::snprintf(number, sizeof number, "%08d", 3100 + n);
        inv.number = number;
        inv.book = "3300041140";
        inv.dayOffset = order.dayOffset;
        inv.order = order.number;
        const Customer& c = customerByCode(order.customer);
        inv.customerName = c.name;
        inv.taxNo = c.taxNo ? c.taxNo : "";
        inv.addressPhone = std::string(c.address ? c.address : "") + " " + (c.phone ? c.phone : "");
        for (const BankAccount& b : bankAccounts()) {
            if (std::string(b.customer) == c.code && b.seq == 1)
                inv.bankAccount = std::string(b.bank) + " " + b.account;
        }
        for (const OrderLine& ol : orderLines()) {
            if (ol.order != order.number) continue;
            const Product& p = productByCode(ol.product);
            InvoiceLine line{p.name, p.packing, p.unit, ol.quantity, ol.price, 0, 0};
            // The third invoice bills five units more than its order on its first line.
            if (n == 2 && inv.lines.empty()) line.quantity += 5;
            line.amount = roundCents(line.quantity * line.price);
            line.tax = roundCents(line.amount * kTaxRate);
            inv.lines.push_back(line);
        }
        // Yesterday's first two invoices are already registered in the sales system.
        inv.registered = order.dayOffset == -1 && n < 2;
        out.push_back(std::move(inv));
        ++n;
    }
    return out;
}

std::string dayText(int dayOffset) {
    const platform::LocalTime now = platform::LocalNow();
    const platform::CivilDate day = platform::DateFromDayCount(
        platform::DayCountFromDate({now.year, now.month, now.day}) + dayOffset);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", day.year, day.month, day.day);
    return buf;
}

double roundCents(double value) { return std::round(value * 100.0) / 100.0; }

}  // namespace demo

namespace {

SqlValue text(const char* value) { return value ? SqlValue(value) : std::nullopt; }
SqlValue num(double value) { return numberText(value); }

}  // namespace

void loadDemo(Backend& db) {
    using namespace demo;
    static const char* const tables[] = {"GSTDWGL0", "GSTYHZH0", "GSTJYGL0", "GSTJYGL1", "XSTJGGL1",
                                         "XSTJGGL2", "XSTXSDD0", "XSTXSDD1", "XSTXSFP1", "XSTSKDH0",
                                         "KE_HU",    "BANK",     "DETAIL",   "FA_PIAO",  "FAADD"};
    db.begin();
    try {
        for (const char* table : tables) db.run(std::string("DELETE FROM ") + table);
        for (const Customer& c : customers()) {
            db.run("INSERT INTO GSTDWGL0(DWDM00,DWMC00,SWDJH0,DZ0000,DH0000) VALUES (?,?,?,?,?)",
                   {text(c.code), text(c.name), text(c.taxNo), text(c.address), text(c.phone)});
        }
        for (const BankAccount& b : bankAccounts()) {
            db.run("INSERT INTO GSTYHZH0(DWDM00,XH0000,KHYH00,YHZH00) VALUES (?,?,?,?)",
                   {text(b.customer), num(b.seq), text(b.bank), text(b.account)});
        }
        for (const Product& p : products()) {
            db.run("INSERT INTO GSTJYGL0(SPDM00,SPMC00,JYDW00,SPGG00) VALUES (?,?,?,?)",
                   {text(p.code), text(p.name), text(p.unit), text(p.packing)});
            db.run("INSERT INTO GSTJYGL1(SPDM00,SPMC00) VALUES (?,?)",
                   {text(p.code), text(p.name)});
        }
        for (const PriceList& l : priceLists()) {
            db.run(
                "INSERT INTO XSTJGGL1(DHAO00,QYRQ00,BZ0000) VALUES (?,TO_DATE(?,'yyyy-mm-dd'),?)",
                {num(static_cast<double>(l.number)), dayText(l.dayOffset), text(l.note)});
        }
        for (const PriceLine& l : priceLines()) {
            db.run("INSERT INTO XSTJGGL2(DHAO00,SPDM00,PFJG00) VALUES (?,?,?)",
                   {num(static_cast<double>(l.list)), text(l.product), num(l.price)});
        }
        for (const SalesOrder& o : salesOrders()) {
            db.run(
                "INSERT INTO XSTXSDD0(DHAO00,DWDM00,XSRQ00,BZ0000) VALUES "
                "(?,?,TO_DATE(?,'yyyy-mm-dd'),NULL)",
                {num(static_cast<double>(o.number)), text(o.customer), dayText(o.dayOffset)});
        }
        for (const OrderLine& l : orderLines()) {
            double amount = roundCents(l.quantity * l.price);
            db.run(
                "INSERT INTO XSTXSDD1(DHAO00,SPDM00,SL0000,DJIA00,JE0000,SE0000) VALUES "
                "(?,?,?,?,?,?)",
                {num(static_cast<double>(l.order)), text(l.product), num(l.quantity), num(l.price),
                 num(amount), num(roundCents(amount * kTaxRate))});
        }
        for (const MachineInvoice& inv : machineInvoices()) {
            if (!inv.registered) continue;
            db.run(
                "INSERT INTO XSTXSFP1(FPHAO0,FPBBH0,DHAO00,KPRQ00) VALUES "
                "(?,?,?,TO_DATE(?,'yyyy-mm-dd'))",
                {inv.number, inv.book, num(static_cast<double>(inv.order)),
                 dayText(inv.dayOffset)});
        }
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}

void initDemo(const std::string& serverName) {
    std::unique_ptr<Backend> db = createServer(serverName);
    loadDemo(*db);
}

}  // namespace appserver
