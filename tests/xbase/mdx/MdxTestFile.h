// An MDX file made in memory by the bulk builder for the format tests: tags CODE ('C',
// length 10), PRICE ('N', descending) and SOLD ('D') over `records` generated records.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "../ntx/IndexFileImage.h"
#include "xbase/index/mdx/MdxFormat.h"
#include "xbase/index/mdx/MdxSorter.h"

namespace indextest {

struct MdxRecord {
    std::string code;
    double price;
    double sold;  // Julian day, 1e100 for the empty date
};

inline std::vector<MdxRecord> MdxRecords(std::size_t count) {
    std::vector<MdxRecord> out;
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 8) % 100000; };
    for (std::size_t i = 0; i < count; ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "K%04u", next() % 3000);
        double price = static_cast<double>(static_cast<int>(next() % 20000) - 5000) / 4;
        double sold = i % 40 == 0 ? xbase::mdx::kEmptyDate : 2451545.0 + next() % 4000;
        out.push_back({code, price, sold});
    }
    return out;
}

inline FileImage MdxTestFile(std::size_t count) {
    using namespace xbase::mdx;
    const auto records = MdxRecords(count);
    FileImage file;
    file.bytes.resize(2048);
    const char* names[] = {"CODE", "PRICE", "SOLD"};
    const char types[] = {'C', 'N', 'D'};
    std::vector<TagEntry> entries;
    std::uint32_t next = 4;
    for (int t = 0; t < 3; ++t) {
        TagHeader tag = TagHeader::ForNewTag(types[t], 10, 1024, false, t == 1, names[t], "");
        const std::uint32_t headerPage = next;
        next += 2;
        xbase::MdxSorter sorter(tag, 1024);
        for (std::size_t r = 0; r < records.size(); ++r) {
            const auto recno = static_cast<std::uint32_t>(r + 1);
            if (t == 0) sorter.AddText(records[r].code, recno);
            if (t == 1) sorter.AddNumber(records[r].price, recno);
            if (t == 2) sorter.AddNumber(records[r].sold, recno);
        }
        sorter.Write(next, tag, file.Writer(), next);
        std::vector<std::uint8_t> block(1024);
        tag.Encode(block.data(), block.size());
        file.Write(static_cast<std::uint64_t>(headerPage) * kPageSize, block.data(), block.size());
        entries.push_back({headerPage, names[t], types[t]});
    }
    FileHeader header;
    header.tableName = "TEST";
    header.tagCount = 3;
    header.nextFreePage = next;
    header.Encode(file.bytes.data());
    EncodeTagTable(entries.data(), entries.size(), file.bytes.data());
    return file;
}

}  // namespace indextest
