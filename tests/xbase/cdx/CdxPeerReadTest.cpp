// Compound index files another xBase engine wrote: every tag walks in the order that
// engine reported, every recorded seek lands where it landed, and every page passes the
// page checker.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "xbase/cursor/DbfHandler.h"
#include "xbase/index/cdx/CdxFile.h"
#include "xbase/index/cdx/CdxKey.h"
#include "xbase/index/cdx/CdxPageChecker.h"
#include "xbase/table/DbfDate.h"

using namespace xbase::cdx;

namespace {

const std::string kDir = std::string(TAXBRIDGE_FIXTURES_DIR) + "/peer-xbase/";

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The manifest writes each byte as one code point below 256.
std::string Bytes(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(((c & 0x1F) << 6) |
                                     (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        }
    }
    return out;
}

// A peer table, opened shared and read-only (other tests read the same fixture at the same
// time), with its compound index opened through the index framework.
struct PeerIndex {
    xbase::DbfHandler table;
    CdxFile file;
    std::vector<bool> deleted;  // by record number
    std::uint32_t records = 0;

    PeerIndex(const std::string& cdx, const std::string& dbf)
        : table(kDir + dbf, true, false), file(table, kDir + cdx) {
        file.Open();
        records = static_cast<std::uint32_t>(table.RecordCount());
        deleted.assign(records + 1, false);
        for (std::uint32_t r = 1; r <= records; ++r) {
            table.GoTo(static_cast<std::int32_t>(r));
            deleted[r] = table.RecordDeleted();
        }
    }

    CdxTag& Tag(const std::string& name) {
        CdxTag* tag = file.FindCdxTag(name);
        if (tag == nullptr) throw std::runtime_error("no tag " + name);
        return *tag;
    }
};

const nlohmann::json& Manifest() {
    static const nlohmann::json m = nlohmann::json::parse(ReadFile(kDir + "MANIFEST.json"));
    return m;
}

struct Fixture {
    const char* key;
    const char* cdx;
    const char* dbf;
};

class CdxPeerRead : public testing::TestWithParam<Fixture> {};

TEST_P(CdxPeerRead, EveryTagWalksInThePeersOrderAndPassesThePageChecker) {
    const Fixture f = GetParam();
    const nlohmann::json& fixture = Manifest()["fixtures"][f.key];
    PeerIndex index(f.cdx, f.dbf);
    nlohmann::json orders;
    if (fixture.contains("order_file"))
        orders = nlohmann::json::parse(ReadFile(kDir + "big.orders.json"));
    ASSERT_EQ(static_cast<std::size_t>(index.file.TagCount()), fixture["tags"].size());
    for (const auto& t : fixture["tags"]) {
        const std::string name = t["name"];
        CdxTag& tag = index.Tag(name);
        EXPECT_EQ(tag.Header().keyExpression, t["key"].get<std::string>());
        EXPECT_EQ(tag.Header().forExpression, t["for"].get<std::string>());
        EXPECT_EQ(tag.Unique(), t["unique"].get<bool>());
        EXPECT_EQ(tag.Descending(), t["descending"].get<bool>());
        const std::vector<std::uint32_t> expected =
            t.contains("order")
                ? t["order"].get<std::vector<std::uint32_t>>()
                : orders[t["order_list"].get<std::string>()].get<std::vector<std::uint32_t>>();
        std::vector<std::uint32_t> forward, backward;
        for (std::uint32_t r = tag.Top(); r != 0; r = tag.Next()) forward.push_back(r);
        for (std::uint32_t r = tag.Bottom(); r != 0; r = tag.Prior())
            backward.insert(backward.begin(), r);
        EXPECT_EQ(forward, expected) << name;
        EXPECT_EQ(backward, expected) << name;
        const CdxCheckResult check =
            CheckTag(index.file, tag.Header().root, static_cast<std::uint16_t>(tag.KeyLength()),
                     tag.Pad(), index.records);
        EXPECT_TRUE(check.Sound()) << name << ": " << check.fault;
        EXPECT_EQ(check.keys, t["keycount"].get<std::size_t>()) << name;
    }
}

TEST_P(CdxPeerRead, EverySeekLandsWhereThePeerLanded) {
    const Fixture f = GetParam();
    const nlohmann::json& fixture = Manifest()["fixtures"][f.key];
    PeerIndex index(f.cdx, f.dbf);
    for (const auto& s : fixture["seeks"]) {
        CdxTag& tag = index.Tag(s["tag"]);
        std::vector<std::uint8_t> key(tag.KeyLength());
        std::size_t keyBytes = tag.KeyLength();
        const std::string type = s["key_type"];
        if (type == "C") {
            std::string text = Bytes(s["key"].get<std::string>());
            text.resize(s["key_len"].get<std::size_t>(), ' ');
            keyBytes = std::min<std::size_t>(text.size(), tag.KeyLength());
            EncodeTextKey(text, tag.KeyLength(), key.data());
        } else if (type == "N") {
            EncodeNumberKey(s["key"].get<double>(), key.data());
        } else {
            const std::string digits = s["key"];
            platform::CivilDate date{};
            const std::int32_t day =
                digits.empty() || !xbase::DbfDate::ReadStorageDigits(digits, date)
                    ? 0
                    : xbase::DbfDate::JulianFromDate(date);
            EncodeDateKey(day, key.data());
        }
        const bool last = s["last"];
        CdxSeekResult r = tag.Seek(key.data(), keyBytes, s["softseek"], last);
        // With deleted records hidden, the cursor moves on past them (backwards after a
        // seek for the last key) and the find holds only while the key still matches.
        if (s["set_deleted"].get<bool>()) {
            while (r.record != 0 && index.deleted[r.record])
                r.record = last ? tag.Prior() : tag.Next();
            r.found = r.found && r.record != 0 &&
                      std::memcmp(tag.CurrentKey(), key.data(), keyBytes) == 0;
            if (!r.found && !s["softseek"].get<bool>()) r.record = 0;
        }
        const std::uint32_t landed = r.record == 0 ? index.records + 1 : r.record;
        EXPECT_EQ(r.found, s["found"].get<bool>()) << s.dump();
        EXPECT_EQ(r.record == 0, s["eof"].get<bool>()) << s.dump();
        EXPECT_EQ(landed, s["recno"].get<std::uint32_t>()) << s.dump();
    }
}

INSTANTIATE_TEST_SUITE_P(Peer, CdxPeerRead,
                         testing::Values(Fixture{"p1_cdx_fpt32", "fox32.cdx", "fox32.dbf"},
                                         Fixture{"p1_cdx_fpt512", "fox512.cdx", "fox512.dbf"},
                                         Fixture{"p3_big_cdx", "big.cdx", "big.dbf"},
                                         Fixture{"p4_cdx_fpt32_edited", "fox32e.cdx",
                                                 "fox32e.dbf"}),
                         [](const auto& info) {
                             std::string name = info.param.key;
                             for (char& c : name)
                                 if (c == '_') c = 'x';
                             return name;
                         });

}  // namespace
