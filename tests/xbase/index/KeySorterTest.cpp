// The build's key sorter: byte order of the keys, equal keys in the order given, descending,
// unique, keys longer than the bytes the radix passes look at, bytes carried beside the
// order; and many random keys against a plain stable sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "xbase/index/KeySorter.h"

namespace xbase {
namespace {

// Sorted "key/recno" pairs of `keys` (record numbers 1, 2, ... in the order given).
std::string Sorted(const std::vector<std::string>& keys, bool descending, bool unique,
                   std::size_t sortLength = 0) {
    KeySorter sorter(keys.front().size(), descending, unique, 2, sortLength);
    std::uint32_t recno = 0;
    for (const std::string& key : keys)
        sorter.Add(reinterpret_cast<const std::uint8_t*>(key.data()), ++recno);
    sorter.Sort();
    std::string out;
    for (std::size_t i = 0; i < sorter.Count(); ++i) {
        out += (i ? " " : "") +
               std::string(reinterpret_cast<const char*>(sorter.Key(i)), sorter.KeyLength()) + "/" +
               std::to_string(sorter.Recno(i));
    }
    return out;
}

std::string Sortable(double value) {
    std::string key(8, '\0');
    KeySorter::SortableDouble(value, reinterpret_cast<std::uint8_t*>(key.data()));
    return key;
}

TEST(KeySorterTest, OrdersKeysAsTheirBytesEqualKeysInTheOrderGiven) {
    struct Case {
        const char* name;
        std::vector<std::string> keys;
        bool descending;
        bool unique;
        std::size_t sortLength;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"equal keys", {"B", "A", "B", "A"}, false, false, 0, "A/2 A/4 B/1 B/3"},
        {"unique keeps the first", {"B", "A", "B", "A"}, false, true, 0, "A/2 B/1"},
        {"descending", {"B", "A", "B", "A", "C"}, true, false, 0, "C/5 B/1 B/3 A/2 A/4"},
        {"descending unique", {"B", "A", "B", "A", "C"}, true, true, 0, "C/5 B/1 A/2"},
        {"empty dates first",
         {"20240101", "        ", "19991231", "        "},
         false,
         false,
         0,
         "        /2         /4 19991231/3 20240101/1"},
        {"numeric texts sharing zeros",
         {"000012.50", "000002.05", "000120.00", "000002.05", "000000.00"},
         false,
         false,
         0,
         "000000.00/5 000002.05/2 000002.05/4 000012.50/1 000120.00/3"},
        {"negative numeric texts",
         {"0000010", ",,,,,,+", "0000002", ",,,,,+,"},
         false,
         false,
         0,
         ",,,,,+,/4 ,,,,,,+/2 0000002/3 0000010/1"},
        {"long keys differing past twelve bytes",
         {"AAAAAAAAAAAA0002", "AAAAAAAAAAAA0001", "AAAAAAAAAAAB0000", "AAAAAAAAAAAA0001"},
         false,
         false,
         0,
         "AAAAAAAAAAAA0001/2 AAAAAAAAAAAA0001/4 AAAAAAAAAAAA0002/1 AAAAAAAAAAAB0000/3"},
        {"long keys descending unique",
         {"AAAAAAAAAAAA0002", "AAAAAAAAAAAA0001", "AAAAAAAAAAAB0000", "AAAAAAAAAAAA0001"},
         true,
         true,
         0,
         "AAAAAAAAAAAB0000/3 AAAAAAAAAAAA0002/1 AAAAAAAAAAAA0001/2"},
        {"long shared prefix",
         {"PREFIX-SHARED-BY-ALL-9", "PREFIX-SHARED-BY-ALL-1", "PREFIX-SHARED-BY-ALL-5"},
         false,
         false,
         0,
         "PREFIX-SHARED-BY-ALL-1/2 PREFIX-SHARED-BY-ALL-5/3 PREFIX-SHARED-BY-ALL-9/1"},
        {"carried bytes do not order",
         {"AAx", "AAy", "ABz", "AAw"},
         false,
         false,
         2,
         "AAx/1 AAy/2 AAw/4 ABz/3"},
        {"carried bytes unique", {"AAx", "AAy", "ABz", "AAw"}, false, true, 2, "AAx/1 ABz/3"},
        {"codes of letters and digits",
         {"KQZ0001234", "AAB9999999", "KQZ0001233", "AAA0000000", "KQY9999999"},
         false,
         false,
         0,
         "AAA0000000/4 AAB9999999/2 KQY9999999/5 KQZ0001233/3 KQZ0001234/1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sorted(c.keys, c.descending, c.unique, c.sortLength), c.expected) << c.name;
    }
}

TEST(KeySorterTest, OrdersDoublesByValueZeroesAlike) {
    const std::vector<std::string> keys = {Sortable(3.5),    Sortable(-2),   Sortable(0),
                                           Sortable(-0.0),   Sortable(-100), Sortable(1e300),
                                           Sortable(-1e-300)};
    KeySorter sorter(8, false, false);
    std::uint32_t recno = 0;
    for (const std::string& key : keys)
        sorter.Add(reinterpret_cast<const std::uint8_t*>(key.data()), ++recno);
    sorter.Sort();
    std::vector<double> values;
    std::vector<std::uint32_t> recnos;
    for (std::size_t i = 0; i < sorter.Count(); ++i) {
        values.push_back(KeySorter::DoubleFromSortable(sorter.Key(i)));
        recnos.push_back(sorter.Recno(i));
    }
    EXPECT_EQ(values, (std::vector<double>{-100, -2, -1e-300, 0, 0, 3.5, 1e300}));
    EXPECT_EQ(recnos, (std::vector<std::uint32_t>{5, 2, 7, 3, 4, 1, 6}));
}

// Keys drawn from few or all byte values, short and long: the radix passes (neighbouring
// bytes of few values ordered together) must agree with a plain stable sort.
TEST(KeySorterTest, ManyRandomKeysAgreeWithAStableSort) {
    std::mt19937 random(17);
    for (const std::size_t length : {3, 10, 12, 20}) {
        for (const int alphabet : {2, 10, 26, 256}) {
            for (const bool descending : {false, true}) {
                for (const bool unique : {false, true}) {
                    std::vector<std::string> keys(3000);
                    for (std::string& key : keys) {
                        key.assign(length, 'Q');  // shared start, then random bytes
                        for (std::size_t i = length / 3; i < length; ++i)
                            key[i] = static_cast<char>(alphabet == 256 ? random() % 256
                                                                       : '0' + random() % alphabet);
                    }
                    KeySorter sorter(length, descending, unique, 100);
                    std::vector<std::uint32_t> expected;
                    for (std::uint32_t r = 0; r < keys.size(); ++r) {
                        sorter.Add(reinterpret_cast<const std::uint8_t*>(keys[r].data()), r + 1);
                        expected.push_back(r + 1);
                    }
                    std::stable_sort(expected.begin(), expected.end(),
                                     [&](std::uint32_t a, std::uint32_t b) {
                                         return descending ? keys[a - 1] > keys[b - 1]
                                                           : keys[a - 1] < keys[b - 1];
                                     });
                    if (unique) {
                        expected.erase(std::unique(expected.begin(), expected.end(),
                                                   [&](std::uint32_t a, std::uint32_t b) {
                                                       return keys[a - 1] == keys[b - 1];
                                                   }),
                                       expected.end());
                    }
                    sorter.Sort();
                    std::vector<std::uint32_t> got;
                    bool keysMatch = true;
                    for (std::size_t i = 0; i < sorter.Count(); ++i) {
                        got.push_back(sorter.Recno(i));
                        keysMatch =
                            keysMatch && std::string(reinterpret_cast<const char*>(sorter.Key(i)),
                                                     length) == keys[sorter.Recno(i) - 1];
                    }
                    EXPECT_EQ(got, expected)
                        << length << " " << alphabet << " " << descending << " " << unique;
                    EXPECT_TRUE(keysMatch) << length << " " << alphabet;
                }
            }
        }
    }
}

}  // namespace
}  // namespace xbase
