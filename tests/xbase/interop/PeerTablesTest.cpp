// Tables made by python3-dbf read field by field as that program reads them, and what this
// engine appends, replaces and deletes reads back as expected in python3-dbf and
// python3-dbfread.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "xbase/cursor/DbfHandler.h"
#include "xbase/table/DbfDate.h"

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

// Runs the peer script and parses what it prints; the test is skipped when the Debian
// packages are missing.
json RunPeer(const std::string& command, const std::string& target) {
    const std::string line = "/usr/bin/python3 " PEER_SCRIPT " " + command + " '" + target + "'";
    FILE* pipe = ::popen(line.c_str(), "r");
    if (!pipe) return json();
    std::string output;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, got);
    if (::pclose(pipe) != 0) return json();
    return json::parse(output, nullptr, false);
}

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string TrimRight(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// Milliseconds since the start of the Julian calendar, as the engine reads a T field.
double DateTimeValue(const std::string& stamp) {
    const std::int32_t julian = xbase::DbfDate::JulianFromText(stamp.substr(0, 8));
    const int seconds = std::stoi(stamp.substr(8, 2)) * 3600 + std::stoi(stamp.substr(10, 2)) * 60 +
                        std::stoi(stamp.substr(12, 2));
    return (static_cast<double>(julian) - 1721425.0) * 86400000.0 + seconds * 1000.0;
}

// Compares the engine's current record with one record as the peer printed it.
void ExpectRecord(xbase::DbfHandler& table, const json& peer) {
    EXPECT_EQ(table.RecordDeleted(), peer["deleted"].get<bool>());
    for (const auto& [name, value] : peer["values"].items()) {
        SCOPED_TRACE("field " + name);
        const int n = table.FieldNumber(name);
        ASSERT_GT(n, 0);
        switch (table.FieldType(n)) {
            case 'C':
                EXPECT_EQ(Hex(TrimRight(table.GetFieldRaw(n))), value.get<std::string>());
                break;
            case 'D':
                EXPECT_EQ(TrimRight(table.GetFieldRaw(n)),
                          value.is_null() ? "" : value.get<std::string>());
                break;
            case 'L':
                EXPECT_EQ(table.GetFieldLogical(n), value.is_boolean() && value.get<bool>());
                break;
            case 'T':
                EXPECT_DOUBLE_EQ(table.GetFieldNumber(n), DateTimeValue(value.get<std::string>()));
                break;
            default:
                EXPECT_NEAR(table.GetFieldNumber(n), value.get<double>(),
                            1e-9 * std::max(1.0, std::fabs(value.get<double>())));
        }
    }
}

class PeerTables : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("taxbridge-interop-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        written_ = RunPeer("write", dir_.string());
        if (written_.is_discarded() || written_.is_null())
            GTEST_SKIP() << "python3-dbf / python3-dbfread not available";
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
    json written_;
};

TEST_F(PeerTables, ReadFieldByFieldAsThePeerReadsThem) {
    for (const auto& [name, records] : written_.items()) {
        SCOPED_TRACE(name);
        xbase::DbfHandler table(Path(name), true, false);
        ASSERT_EQ(table.RecordCount(), static_cast<std::int32_t>(records.size()));
        for (std::size_t i = 0; i < records.size(); ++i) {
            SCOPED_TRACE("record " + std::to_string(i + 1));
            table.GoTo(static_cast<std::int32_t>(i + 1));
            ExpectRecord(table, records[i]);
        }
    }
}

TEST_F(PeerTables, HiddenDeletedRecordsAreSkippedByTheCursor) {
    xbase::DbfHandler table(Path("d3.dbf"), true, false);
    table.SetUseDeleted(false);
    int visited = 0;
    for (table.GoTo(xbase::move::First); !table.Eof(); table.GoTo(xbase::move::Next)) {
        EXPECT_FALSE(table.RecordDeleted());
        ++visited;
    }
    EXPECT_EQ(visited, 3);
}

// Appends, replaces and deletes with the engine, then lets both peers read the table.
TEST_F(PeerTables, PeersReadWhatTheEngineAppendedReplacedAndDeleted) {
    for (const std::string name : {"d3.dbf", "vfp.dbf"}) {
        SCOPED_TRACE(name);
        json expected = written_[name];
        {
            xbase::DbfHandler table(Path(name), true, true);
            table.GoTo(1);
            ASSERT_TRUE(table.RecordLock());
            table.PutFieldText("NAME", "changed");
            table.PutFieldNumber("QTY", -7.25);
            table.ReplaceRecord(1);
            table.Unlock();
            expected[0]["values"]["NAME"] = Hex("changed");
            expected[0]["values"]["QTY"] = -7.25;

            table.GoTo(2);
            table.DeleteRecord();
            expected[1]["deleted"] = true;

            table.BlankRecord();
            table.PutFieldText("NAME", "\xb7\xa2\xc6\xb1");  // 发票 in GBK
            table.PutFieldNumber("QTY", 123.45);
            table.PutFieldText("WHEN", "20261208");
            table.PutFieldLogical("OK", true);
            json added = {{"deleted", false},
                          {"values",
                           {{"NAME", Hex("\xb7\xa2\xc6\xb1")},
                            {"QTY", 123.45},
                            {"WHEN", "20261208"},
                            {"OK", true}}}};
            if (name == "vfp.dbf") {
                table.PutFieldNumber("CNT", -2147483647.0);
                table.PutFieldNumber("PR", 0.1);
                // The name forms want numeric types; currency and date-time go by number.
                table.PutFieldNumber(table.FieldNumber("CUR"), 922337203685.4775);
                table.PutFieldNumber(table.FieldNumber("TS"), DateTimeValue("20261208235958"));
                added["values"]["CNT"] = -2147483647;
                added["values"]["PR"] = 0.1;
                added["values"]["CUR"] = 922337203685.4775;
                added["values"]["TS"] = "20261208235958";
            } else {
                table.PutFieldNumber("COUNT", 99999);
                added["values"]["COUNT"] = 99999;
            }
            ASSERT_TRUE(table.AppendRecord());
            expected.push_back(added);
        }
        for (const char* peer : {"read", "dbfread"}) {
            SCOPED_TRACE(peer);
            json seen = RunPeer(peer, Path(name));
            ASSERT_FALSE(seen.is_discarded() || seen.is_null());
            // dbfread lists live records first, then deleted ones.
            auto key = [](const json& r) { return r["values"]["NAME"].get<std::string>(); };
            ASSERT_EQ(seen.size(), expected.size());
            for (const json& want : expected) {
                auto match = std::find_if(seen.begin(), seen.end(),
                                          [&](const json& r) { return key(r) == key(want); });
                ASSERT_NE(match, seen.end()) << key(want);
                EXPECT_EQ((*match)["deleted"], want["deleted"]) << key(want);
                for (const auto& [field, value] : want["values"].items()) {
                    const json& got = (*match)["values"][field];
                    if (value.is_number()) {
                        EXPECT_NEAR(got.get<double>(), value.get<double>(),
                                    1e-6 * std::max(1.0, std::fabs(value.get<double>())))
                            << key(want) << " " << field;
                    } else if (!(value.is_null() && got.is_null())) {
                        EXPECT_EQ(got, value) << key(want) << " " << field;
                    }
                }
            }
        }
    }
}

}  // namespace
