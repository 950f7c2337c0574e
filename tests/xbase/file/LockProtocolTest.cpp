// The lock map: every range under every protocol, as the other programs on the machine
// lock them.
#include <gtest/gtest.h>

#include "xbase/file/LockProtocol.h"

namespace {

using xbase::LockNumbers;
using xbase::LockProtocol;
using xbase::LockRange;

TEST(LockMap, EveryRangeUnderEveryProtocol) {
    struct Case {
        LockProtocol protocol;
        LockRange append, file, memo, index;
    };
    const Case cases[] = {
        {LockProtocol::Default,
         {0x7FFFFFFE, 1},
         {0x40000000, 0x3FFFFFFF},
         {0x7FFFFFFD, 1},
         {0x7FFFFFFD, 1}},
        {LockProtocol::FoxLock,
         {0x7FFFFFFE, 1},
         {0x40000000, 0x3FFFFFFF},
         {0x7FFFFFFD, 1},
         {0x7FFFFFFD, 1}},
        {LockProtocol::DB4Lock,
         {0xEFFFFFFF, 1},
         {0x40000000, 0xB0000000},
         {0xEFFFFFFE, 2},
         {0xEFFFFFFE, 2}},
        {LockProtocol::ClipLock,
         {1000000000, 1},
         {1000000000, 1000000000},
         {1000000000, 1},
         {1000000000, 1}},
    };
    for (const Case& c : cases) {
        const LockNumbers n = xbase::LockNumbersFor(c.protocol, {});
        const int p = static_cast<int>(c.protocol);
        EXPECT_EQ(xbase::AppendLockRange(n), c.append) << p;
        EXPECT_EQ(xbase::FileLockRange(n), c.file) << p;
        EXPECT_EQ(xbase::MemoWriteLockRange(c.protocol, n), c.memo) << p;
        EXPECT_EQ(xbase::IndexFileLockRange(c.protocol, n), c.index) << p;
    }
    EXPECT_EQ(xbase::WholeFileLockRange(), (LockRange{0, 0x7FFFFFFF}));
}

TEST(LockMap, RecordLockOfRecordOneWithAndWithoutAnIndex) {
    // Header length 161, record 1: B plus the record's place in the file, or A - 1.
    struct Case {
        LockProtocol protocol;
        bool indexed;
        std::uint64_t offset;
    };
    const Case cases[] = {
        {LockProtocol::Default, false, 1073741985},  {LockProtocol::Default, true, 2147483645},
        {LockProtocol::FoxLock, false, 1073741985},  {LockProtocol::FoxLock, true, 2147483645},
        {LockProtocol::DB4Lock, false, 0xEFFFFFFD},  {LockProtocol::DB4Lock, true, 0xEFFFFFFD},
        {LockProtocol::ClipLock, false, 1000000001}, {LockProtocol::ClipLock, true, 1000000001},
    };
    for (const Case& c : cases) {
        const LockNumbers n = xbase::LockNumbersFor(c.protocol, {});
        auto range = xbase::RecordLockRange(c.protocol, n, {1, c.indexed, 161});
        ASSERT_TRUE(range.has_value()) << static_cast<int>(c.protocol);
        EXPECT_EQ(*range, (LockRange{c.offset, 1})) << static_cast<int>(c.protocol) << c.indexed;
    }
}

TEST(LockMap, UnknownProtocolKeepsItsNumbersAndHasNoRecordLock) {
    const auto unknown = static_cast<LockProtocol>(4);
    const LockNumbers clip = xbase::LockNumbersFor(LockProtocol::ClipLock, {});
    const LockNumbers kept = xbase::LockNumbersFor(unknown, clip);
    EXPECT_EQ(kept.appendOffset, 1000000000u);
    EXPECT_EQ(kept.fileLockLength, 1000000000u);
    EXPECT_FALSE(xbase::IsKnownLockProtocol(unknown));
    EXPECT_FALSE(xbase::RecordLockRange(unknown, kept, {1, false, 161}).has_value());
    EXPECT_FALSE(xbase::RecordLockRange(LockProtocol::Default, kept, {0, false, 161}).has_value());
}

}  // namespace
