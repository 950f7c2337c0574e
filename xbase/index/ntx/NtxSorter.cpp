#include "xbase/index/ntx/NtxSorter.h"

#include <cstring>
#include <vector>

#include "xbase/index/FieldKey.h"
#include "xbase/index/IndexBytes.h"
#include "xbase/index/PageRun.h"
#include "xbase/table/FieldDescriptor.h"

namespace xbase {

using namespace ntx;

NtxSorter::NtxSorter(const Header& header, std::size_t expected)
    : header_(header), sorter_(header.keyLength, header.descending, header.unique, expected) {}

void NtxSorter::AddText(std::string_view key, std::uint32_t recno) {
    const std::size_t len = header_.keyLength;
    if (key.size() == len) {
        sorter_.Add(reinterpret_cast<const std::uint8_t*>(key.data()), recno);
        return;
    }
    scratch_.assign(key.substr(0, len));
    scratch_.resize(len, ' ');
    sorter_.Add(reinterpret_cast<const std::uint8_t*>(scratch_.data()), recno);
}

bool NtxSorter::AddFieldKey(const FieldDescriptor& field, const std::uint8_t* record,
                            std::uint32_t recno) {
    const std::size_t length = header_.keyLength;
    if (static_cast<std::size_t>(field.length) != length) return false;
    const std::uint8_t* bytes = record + field.offset;
    if (field.type == 'C') {
        fieldkey::CharacterKey(bytes, length, sorter_.NewKey(recno));
        return true;
    }
    // A number with the key's decimals or fewer: its digits are the key's.
    const std::size_t decimals = header_.decimals;
    fieldkey::PlainNumber number;
    if ((field.type != 'N' && field.type != 'F') ||
        static_cast<std::size_t>(field.decimals) != decimals ||
        (decimals > 0 && decimals + 2 > length) ||
        !fieldkey::ReadPlainNumber(bytes, length, number) ||
        static_cast<std::size_t>(number.decimals) > decimals)
        return false;
    std::uint64_t units = number.units;
    for (std::size_t d = static_cast<std::size_t>(number.decimals); d < decimals; ++d) units *= 10;
    char key[kMaxKeyLength];
    if (units >= 1000000000000000ULL ||
        !EncodeUnits(units, number.negative && units != 0, length, decimals, key))
        return false;
    sorter_.Add(reinterpret_cast<const std::uint8_t*>(key), recno);
    return true;
}

std::uint32_t NtxSorter::Write(std::uint32_t firstPage, const PageWriter& write,
                               std::uint64_t& end) {
    sorter_.Sort();
    const std::size_t n = sorter_.Count();
    const std::size_t m = header_.maxKeys;
    const std::size_t itemSize = header_.itemSize;
    const std::size_t keyLength = header_.keyLength;
    PageRun run(kPageSize, firstPage, write);

    // Lays out one page: keys [from, from + count) of the sorted list with the children
    // `children` (empty for a leaf; count + 1 of them otherwise).
    auto emitPage = [&](const std::size_t* keys, std::size_t count, const std::uint32_t* children) {
        std::uint8_t* data = run.NextPage();
        bytes::PutLe16(data + kCountAt, static_cast<std::uint16_t>(count));
        for (std::size_t i = 0; i <= m; ++i)
            bytes::PutLe16(data + kOffsetTableAt + 2 * i,
                           static_cast<std::uint16_t>(ItemOffset(i, itemSize, m)));
        for (std::size_t i = 0; i < count; ++i) {
            std::uint8_t* at = data + ItemOffset(i, itemSize, m);
            bytes::PutLe32(at + kItemChildAt, children != nullptr ? children[i] : 0);
            bytes::PutLe32(at + kItemRecnoAt, sorter_.Recno(keys[i]));
            std::memcpy(at + kItemKeyAt, sorter_.Key(keys[i]), keyLength);
        }
        if (children != nullptr)
            bytes::PutLe32(data + ItemOffset(count, itemSize, m) + kItemChildAt, children[count]);
        return run.LastOffset();
    };

    // Leaves: p pages and p - 1 keys between them that go up a level.
    std::size_t p = (n + 1 + m) / (m + 1);
    if (p == 0) p = 1;
    std::vector<std::uint32_t> children;
    std::vector<std::size_t> separators;
    children.reserve(p);
    separators.reserve(p);
    {
        std::vector<std::size_t> keys;
        std::size_t inLeaves = n - (p - 1);
        std::size_t next = 0;
        for (std::size_t i = 0; i < p; ++i) {
            std::size_t take = inLeaves / p + (i < inLeaves % p ? 1 : 0);
            keys.clear();
            for (std::size_t k = 0; k < take; ++k) keys.push_back(next++);
            children.push_back(emitPage(keys.data(), keys.size(), nullptr));
            if (i + 1 < p) separators.push_back(next++);
        }
    }
    // Interior levels: group the children evenly, at most m + 1 per page; the keys
    // between groups go up.
    while (children.size() > 1) {
        const std::size_t count = children.size();
        const std::size_t q = (count + m) / (m + 1);
        std::vector<std::uint32_t> upChildren;
        std::vector<std::size_t> upSeparators;
        std::size_t at = 0;
        for (std::size_t g = 0; g < q; ++g) {
            std::size_t take = count / q + (g < count % q ? 1 : 0);
            upChildren.push_back(emitPage(separators.data() + at, take - 1, children.data() + at));
            if (g + 1 < q) upSeparators.push_back(separators[at + take - 1]);
            at += take;
        }
        children.swap(upChildren);
        separators.swap(upSeparators);
    }
    run.Flush();
    end = run.End();
    return children[0];
}

}  // namespace xbase
