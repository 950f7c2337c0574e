// The real-world corpus: 42 tables from the test suites of public xBase readers, each
// dumped with `taxbridge table dump --deleted` under its own code page and compared field
// by field with what an independent reader makes of it (expected/), with the corrections
// its MANIFEST lists, and with the values the source project's own tests assert. A table
// the MANIFEST marks as one that may be refused may instead fail with that message.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "cli/CliTestSupport.h"

namespace {

using nlohmann::json;

const std::string kCorpus = std::string(TAXBRIDGE_FIXTURES_DIR) + "/realworld/";

// Versions whose layout differs from the five table families (FoxBASE's 16-byte
// descriptors, dBase 7's 48-byte ones): refused, with the version byte in the message.
const std::map<std::string, std::string> kForeignLayouts = {
    {"0x02", "0x02"},
    {"0x8C", "0x8C"},
};

json ReadJson(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return json::parse(text.str());
}

struct CorpusTable {
    json entry;  // the MANIFEST's entry
    std::string file() const { return entry["file"].get<std::string>(); }
};

void PrintTo(const CorpusTable& table, std::ostream* out) { *out << table.file(); }

std::vector<CorpusTable> Corpus() {
    std::vector<CorpusTable> tables;
    const json manifest = ReadJson(kCorpus + "MANIFEST.json");
    for (const json& entry : manifest["tables"]) tables.push_back({entry});
    return tables;
}

std::string TrimRight(std::string text, const char* what = " ") {
    text.erase(text.find_last_not_of(what) + 1);
    return text;
}

std::string Base64Bytes(const std::string& text) {
    static const std::string kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        const std::size_t v = kAlphabet.find(c);
        if (v == std::string::npos) continue;  // '=' padding
        bits = bits << 6 | static_cast<unsigned>(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return bytes;
}

bool ReadsAsNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    std::size_t used = 0;
    try {
        value = std::stod(text, &used);
    } catch (...) {
        return false;
    }
    return used == text.size();
}

bool SameNumber(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
}

// Seconds since 0001-01-01 of "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or
// "YYYY-MM-DDTHH:MM:SS[.ffffff]"; -1 for anything else.
double Seconds(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    double s = 0;
    char sep = 0;
    int got = std::sscanf(text.c_str(), "%d-%d-%d%c%d:%d:%lf", &y, &mo, &d, &sep, &h, &mi, &s);
    if (got != 3 && got != 7) return -1;
    // Days from civil (proleptic Gregorian).
    y -= mo <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long days = era * 146097L + yoe * 365L + yoe / 4 - yoe / 100 + doy;
    return static_cast<double>(days) * 86400.0 + h * 3600.0 + mi * 60.0 + s;
}

// Whether the dumped text `got` is what the reference reader's value `want` stands for,
// in a field of type `type`. Where the table layer reads by its own rules, those rules
// are named here.
bool Matches(const json& want, char type, const std::string& got, std::string& why) {
    double number = 0;
    if (want.is_null()) {
        if (got.empty()) return true;
        // A blank number reads as zero, and a logical other than T/Y/J as false.
        if ((type == 'N' || type == 'F') && got == "0") return true;
        if (type == 'L' && got == "False") return true;
        // An overflow marker (a field of '*') shows its stored text, with a warning.
        if ((type == 'N' || type == 'F') && got.find_first_not_of('*') == std::string::npos)
            return true;
        why = "null";
        return false;
    }
    if (want.is_boolean()) return got == (want.get<bool>() ? "True" : "False");
    if (want.is_number())
        return ReadsAsNumber(got, number) && SameNumber(number, want.get<double>());
    if (want.is_string()) {
        const std::string text = want.get<std::string>();
        if (type == 'D') return got == text;
        if (type == 'M') return got == text;
        // A varchar value shorter than its field keeps its length in the last byte, which
        // the reference reader does not interpret.
        if (type == 'V' && !text.empty() &&
            got == text.substr(0, static_cast<unsigned char>(text.back())))
            return true;
        return got == TrimRight(text);
    }
    if (want.contains("date")) return got == want["date"].get<std::string>();
    if (want.contains("datetime")) {
        // The tool shows whole seconds (and no time at midnight); the reference keeps
        // the stored milliseconds.
        const double a = Seconds(got);
        return a >= 0 && std::fabs(a - Seconds(want["datetime"].get<std::string>())) < 1.0;
    }
    if (want.contains("bytes")) return got == want["bytes"].get<std::string>();
    if (want.contains("decimal")) {
        return ReadsAsNumber(got, number) &&
               SameNumber(number, std::stod(want["decimal"].get<std::string>()));
    }
    if (want.contains("raw")) {
        // A value the reference could not convert: the tool shows its stored text (up to
        // a NUL, trailing blanks cut), or reads the number that stands before the NULs.
        std::string raw = Base64Bytes(want["raw"].get<std::string>());
        raw = TrimRight(raw.substr(0, raw.find('\0')));
        double stored = 0;
        if (got == raw) return true;
        return ReadsAsNumber(got, number) && ReadsAsNumber(TrimRight(raw, " ."), stored) &&
               SameNumber(number, stored);
    }
    why = "unknown reference form " + want.dump();
    return false;
}

class RealworldCorpus : public ::testing::TestWithParam<CorpusTable> {};

TEST_P(RealworldCorpus, ReadsFieldByFieldAsItsProducersExpect) {
    const json& entry = GetParam().entry;
    const std::string file = GetParam().file();
    clitest::RunResult run =
        clitest::Taxbridge({"table", "dump", "--deleted", "--codepage",
                            entry["codepage"].get<std::string>(), kCorpus + file});

    const std::string version = entry["version"].get<std::string>();
    if (auto foreign = kForeignLayouts.find(version); foreign != kForeignLayouts.end()) {
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.err.find(foreign->second), std::string::npos) << run.err;
        return;
    }
    if (run.status != 0) {
        ASSERT_TRUE(entry["tool_may_refuse"].is_string()) << file << " refused: " << run.err;
        EXPECT_NE(run.err.find(entry["tool_may_refuse"].get<std::string>()), std::string::npos)
            << run.err;
        return;
    }
    const json dump = json::parse(run.out);
    if (entry["fixture_expect"].contains("record_count")) {
        EXPECT_EQ(dump.size(), entry["fixture_expect"]["record_count"].get<std::size_t>());
    }

    const json reference = ReadJson(kCorpus + "expected/" + file + ".dbfread.json");
    if (!reference.contains("records")) return;
    std::map<std::string, char> types;
    for (const json& field : reference["fields"]) {
        types[field[0].get<std::string>()] = field[1].get<std::string>()[0];
    }
    std::map<std::pair<int, std::string>, json> overrides;
    for (const json& o : entry["reference_overrides"]) {
        overrides[{o["recno"].get<int>(), o["field"].get<std::string>()}] = o["value"];
    }
    ASSERT_EQ(dump.size(), reference["records"].size());

    auto check = [&](int recNo, const std::string& name, const json& want) {
        const char type = types.count(name) ? types[name] : 'C';
        const json& row = dump[static_cast<std::size_t>(recNo - 1)];
        if (!row.contains(name)) {
            ADD_FAILURE() << file << ": no field " << name;
            return;
        }
        const std::string got = row[name].get<std::string>();
        std::string why;
        EXPECT_TRUE(Matches(want, type, got, why))
            << file << " record " << recNo << " field " << name << ": got \"" << got << "\", want "
            << want.dump() << ' ' << why;
    };
    for (const json& record : reference["records"]) {
        const int recNo = record[0].get<int>();
        const json& row = dump[static_cast<std::size_t>(recNo - 1)];
        EXPECT_EQ(row["_recno"].get<int>(), recNo);
        EXPECT_EQ(row["_deleted"].get<bool>(), record[1].get<std::string>() == "*")
            << file << " record " << recNo;
        for (std::size_t i = 0; i < reference["fields"].size(); ++i) {
            const std::string name = reference["fields"][i][0].get<std::string>();
            if (types[name] == '0') continue;  // _NullFlags: a system column, never shown
            auto o = overrides.find({recNo, name});
            check(recNo, name, o != overrides.end() ? o->second : record[2][i]);
        }
    }
    if (entry["fixture_expect"].contains("records")) {
        for (const json& asserted : entry["fixture_expect"]["records"]) {
            for (const auto& [name, value] : asserted["values"].items()) {
                check(asserted["recno"].get<int>(), name, value);
            }
        }
    }
}

std::string TableTestName(const ::testing::TestParamInfo<CorpusTable>& info) {
    std::string name;
    for (char c : info.param.file()) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Tables, RealworldCorpus, ::testing::ValuesIn(Corpus()), TableTestName);

}  // namespace
