// `taxbridge table dump` against the tables an independent xBase program wrote: every
// record matches what that program reported, field by field (memo text aside).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "cli/CliTestSupport.h"

namespace {

using nlohmann::json;

const std::string kPeerDir = std::string(TAXBRIDGE_FIXTURES_DIR) + "/peer-xbase";

const json& Manifest() {
    static const json manifest = json::parse(std::ifstream(kPeerDir + "/MANIFEST.json"));
    return manifest;
}

std::string DbfOf(const std::string& key) {
    return kPeerDir + "/" + Manifest()["fixtures"][key]["files"][0]["name"].get<std::string>();
}

std::string DisplayDate(const std::string& stored) {
    if (stored.empty()) return "";
    return stored.substr(0, 4) + "-" + stored.substr(4, 2) + "-" + stored.substr(6, 2);
}

class PeerDump : public ::testing::TestWithParam<const char*> {};

TEST_P(PeerDump, EveryRecordMatchesTheManifest) {
    const json& fixture = Manifest()["fixtures"][GetParam()];
    json dump = clitest::DumpJson({"--deleted", DbfOf(GetParam())});
    const json& records = fixture["records"];
    ASSERT_EQ(dump.size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const json& want = records[i];
        const json& got = dump[i];
        SCOPED_TRACE("record " + want[0].dump());
        EXPECT_EQ(got["_recno"], want[0]);
        EXPECT_EQ(got["_deleted"], want[1]);
        EXPECT_EQ(got["ITEM"], clitest::LatinBytesAsUtf8(want[2].get<std::string>(), "GBK"));
        EXPECT_EQ(got["SKU"], want[3].get<std::string>());
        EXPECT_EQ(got["QTY"], std::to_string(want[4].get<long long>()));
        EXPECT_DOUBLE_EQ(std::stod(got["COST"].get<std::string>()), want[5].get<double>());
        EXPECT_EQ(got["SOLD"], DisplayDate(want[6].get<std::string>()));
        EXPECT_EQ(got["OK"], want[7].get<bool>() ? "True" : "False");
        EXPECT_TRUE(got.contains("REMARK"));
    }
}

TEST_P(PeerDump, WithoutDeletedOnlyLiveRecordsAppear) {
    const json& records = Manifest()["fixtures"][GetParam()]["records"];
    std::vector<int> live;
    for (const json& record : records) {
        if (!record[1].get<bool>()) live.push_back(record[0].get<int>());
    }
    json dump = clitest::DumpJson({DbfOf(GetParam())});
    std::vector<int> shown;
    for (const json& row : dump) shown.push_back(row["_recno"].get<int>());
    EXPECT_EQ(shown, live);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, PeerDump,
                         ::testing::Values("p1_cdx_fpt32", "p1_cdx_fpt512", "p2_ntx_fpt32",
                                           "p2_ntx_dbt", "p4_cdx_fpt32_edited",
                                           "p4_ntx_fpt32_edited"));

TEST(PeerDumpBig, ThirtyThousandRecordsWithTheDeletedOnesLeftOut) {
    const json& fixture = Manifest()["fixtures"]["p3_big_cdx"];
    json dump = clitest::DumpJson({DbfOf("p3_big_cdx")});
    std::set<int> deleted;
    for (const json& recNo : fixture["deleted_recnos"]) deleted.insert(recNo.get<int>());
    ASSERT_EQ(dump.size(), 30000u - deleted.size());
    std::map<int, const json*> byRecNo;
    for (const json& row : dump) byRecNo[row["_recno"].get<int>()] = &row;
    for (const json& sample : fixture["sample_records"]) {
        int recNo = sample[0].get<int>();
        if (sample[1].get<bool>()) {
            EXPECT_EQ(byRecNo.count(recNo), 0u) << recNo;
            continue;
        }
        ASSERT_EQ(byRecNo.count(recNo), 1u) << recNo;
        EXPECT_EQ((*byRecNo[recNo])["SKU"], sample[2].get<std::string>());
        EXPECT_EQ((*byRecNo[recNo])["QTY"], std::to_string(sample[3].get<int>()));
    }
}

TEST(PeerDumpRaw, RawTextKeepsTheStoredForm) {
    json dump = clitest::DumpJson({"--raw", DbfOf("p1_cdx_fpt32")});
    ASSERT_FALSE(dump.empty());
    EXPECT_EQ(dump[0]["ITEM"], "Hex Bolt M6" + std::string(14, ' '));
    EXPECT_EQ(dump[0]["QTY"], "      12");
    EXPECT_EQ(dump[0]["COST"], "      0.125");
    EXPECT_EQ(dump[0]["SOLD"], "20000229");
    EXPECT_EQ(dump[0]["OK"], "T");
}

TEST(PeerInfo, ReportsTheHeaderFacts) {
    const json& table = Manifest()["fixtures"]["p1_cdx_fpt32"]["table"];
    clitest::RunResult result = clitest::Taxbridge({"table", "info", DbfOf("p1_cdx_fpt32")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Records:       " + table["lastrec"].dump()), std::string::npos);
    EXPECT_NE(result.out.find("Header length: " + table["header_len"].dump()), std::string::npos);
    EXPECT_NE(result.out.find("Record length: " + table["record_len"].dump()), std::string::npos);
    EXPECT_NE(result.out.find("0xF5"), std::string::npos);
    std::istringstream lines(result.out);
    std::vector<std::vector<std::string>> fields;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::vector<std::string> row{std::istream_iterator<std::string>(words), {}};
        if (row.size() == 4 && row[0] != "NAME") fields.push_back(row);
    }
    const json& structure = Manifest()["fixtures"]["p1_cdx_fpt32"]["structure"];
    ASSERT_EQ(fields.size(), structure.size()) << result.out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i][0], structure[i][0].get<std::string>());
        EXPECT_EQ(fields[i][1], structure[i][1].get<std::string>());
        EXPECT_EQ(fields[i][2], structure[i][2].dump());
        EXPECT_EQ(fields[i][3], structure[i][3].dump());
    }
}

}  // namespace
