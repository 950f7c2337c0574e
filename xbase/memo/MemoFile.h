// The memo file beside a table: the variable-length contents of its memo, binary and
// general fields, located by the number of their first block.
//
// MemoFile is the dBase III memo (".DBT") and the base of the other kinds: it holds the
// reading, writing, length finding, write lock and rename logic they share, and asks the
// kind (through the protected virtual operations) for what differs: block allocation, the
// release of a memo's blocks, the terminator after the text and the length a block header
// gives. A file whose headers cannot be trusted (impossible block size, block numbers or
// lengths past the end of the file, a looping free chain) is refused with error 1005,
// never read past its end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "xbase/file/DiskFile.h"
#include "xbase/file/LockProtocol.h"
#include "xbase/table/DbfFormat.h"

namespace xbase {

// Subcodes of memo failures.
namespace memoinfo {
constexpr int Missing = 6101;    // the memo file does not exist (error 2)
constexpr int BadBlock = 6199;   // a header that cannot be trusted (error 1005)
constexpr int WriteLock = 1112;  // the write lock could not be had (last disk error)
constexpr int TooLarge = 6198;   // a memo beyond what the format can hold (error 1005)
}  // namespace memoinfo

// What a memo file takes over from its table.
struct MemoOptions {
    std::string tableName;  // the table file's name; its extension is replaced
    std::uint8_t tableVersion = version::DBase3Memo;
    bool shared = true;
    bool readWrite = true;
    LockProtocol lockProtocol = LockProtocol::Default;
};

class MemoFile : public DiskFile {
public:
    static constexpr std::int32_t kDefaultBlockSize = 512;
    static constexpr std::int32_t kMaxBlockSize = 32768;
    // Bytes at the start of every memo file that belong to its header.
    static constexpr std::uint32_t kHeaderArea = 512;
    // Block counts are 16-bit quantities.
    static constexpr std::uint32_t kMaxBlockCount = 65535;
    // The longest dBase III memo the terminator scan delivers.
    static constexpr std::uint32_t kScanLimit = 65519;
    static constexpr int kWriteLockAttempts = 100;
    static constexpr int kWriteLockPauseMs = 50;

    // Opens the dBase III memo of the table (its name with ".DBT"); the table passes its
    // name, version, modes and lock protocol in `options`. A missing file is error 2 with
    // subcode 6101. Failures are reported with the memo file's path and leave their code
    // in LastError() for the caller (the table) to take over.
    explicit MemoFile(const MemoOptions& options);

    // Reads the memo that starts at `block` into `buffer` (at most `capacity` bytes) and
    // returns the number of bytes delivered. Block 0 delivers nothing and puts a zero
    // byte at the start of the buffer.
    std::size_t ReadMemo(std::int32_t block, void* buffer, std::size_t capacity);
    // The whole text of the memo that starts at `block` ("" for block 0).
    std::string ReadMemoText(std::int32_t block);
    // Writes `text` as the memo of a field whose current reference is `block`, under the
    // write lock in shared mode. Stores the block where the text now starts into `block`
    // and returns it; an empty text leaves no reference (0). A refused lock is reported
    // and leaves `block` as it was.
    std::int32_t WriteMemo(std::string_view text, std::int32_t& block);
    // Text length of the memo that starts at `block` (0 for block 0).
    std::uint32_t MemoSize(std::int32_t block);
    // The highest block number at which a memo written now can start (the end of the
    // file, or the first block after the header): what the record must be able to hold.
    std::uint64_t HighestNewBlock();

    // Takes the table's lock protocol (ordinals 4 and above keep the previous offsets).
    void SetLockProtocol(LockProtocol protocol);
    // Follows the table to its new name (own extension); dBase memos also record the new
    // base name in their header.
    bool RenameWithTable(const std::string& newTableName);

    std::uint8_t TableVersion() const { return tableVersion_; }
    std::int32_t CurrentBlock() const { return currentBlock_; }
    std::uint32_t BlockCount() const { return blockCount_; }
    std::int32_t BlockSize() const { return blockSize_; }
    int BlockHeaderSize() const { return blockHeaderSize_; }
    LockProtocol LockProtocolValue() const { return protocol_; }
    const LockNumbers& Numbers() const { return numbers_; }
    // The byte range the write lock takes under the current protocol (the lock map,
    // xbase/file/LockProtocol.h).
    std::uint64_t WriteLockOffset() const { return MemoWriteLockRange(protocol_, numbers_).offset; }
    std::uint64_t WriteLockLength() const { return MemoWriteLockRange(protocol_, numbers_).length; }
    const std::array<std::uint8_t, 32>& WorkHeader() const { return workHeader_; }
    // How often and how far apart the write lock is asked for (100 times, 50 ms).
    void SetWriteLockRetries(int attempts, int pauseMs);

    // The memo file name of a table: trimmed, extension replaced (in the case of the
    // table's own extension).
    static std::string MemoFileName(const std::string& tableName, std::string_view extension);

protected:
    MemoFile(const MemoOptions& options, std::string_view extension);

    // Blocks a text of n bytes occupies, header and terminator included.
    virtual std::uint64_t BlocksNeeded(std::uint64_t n) const;
    // Chooses the blocks for a text of n bytes: sets the current block, the block count
    // and the work header for the new memo. False when nothing may be written.
    virtual bool Allocate(std::uint64_t n);
    // Gives back the blocks of the memo at `block` (dBase IV only).
    virtual void ReleaseRun(std::int32_t block);
    // Writes the bytes that end a text at `at` (room bytes available); returns their count.
    virtual std::size_t WriteTerminator(std::uint8_t* at, std::size_t room) const;
    // Total length (block header included) the work header gives for a memo: 0 when the
    // kind does not know (scan for the terminator), -1 when the header is not a memo's.
    virtual std::int64_t LengthFromHeader() const;
    // Refuses texts the kind cannot store so that they read back unchanged.
    virtual bool CheckText(std::string_view text);
    // Next free block in the file header (reuse-or-append kinds) and the block header of
    // a new memo of n bytes in the work header.
    virtual void PutNextFree(std::uint8_t* header, std::uint32_t block) const;
    virtual void PrepareBlockHeader(std::uint64_t n);
    // Whether a rename records the base name at header offset 8.
    virtual bool RecordsNameInHeader() const { return true; }

    // The block size read from a header: refused with 1005 unless 1..32,768.
    bool TakeBlockSize(std::uint32_t size);
    // First block that may hold a memo (after the header area).
    std::uint32_t FirstDataBlock() const;
    // Blocks the file occupies, a partly filled last block included.
    std::uint64_t BlocksInFile();
    std::uint64_t BlockOffset(std::uint64_t block) const {
        return block * static_cast<std::uint64_t>(blockSize_);
    }
    // Reads up to `count` bytes at `offset`; what lies past the end reads as zeros.
    void ReadPadded(std::uint64_t offset, std::uint8_t* buffer, std::size_t count);
    // Reports a header that cannot be trusted (1005); false for the caller to return.
    bool Refuse(int subcode = memoinfo::BadBlock);
    // Throws the error for a text the format cannot hold.
    [[noreturn]] void RaiseTooLarge(const std::string& why);
    // The new block and count after an allocation.
    void TakeBlocks(std::int32_t block, std::uint64_t count);

    std::array<std::uint8_t, 32>& Header() { return workHeader_; }
    void SetBlockHeaderSize(int size) { blockHeaderSize_ = size; }
    bool UsableFile() const { return usable_; }
    void SetUnusable() { usable_ = false; }

private:
    // Text length and header bytes of the memo at `block`; false when the memo cannot be
    // trusted (reported).
    bool FindLength(std::int32_t block, std::uint64_t& text);
    std::uint64_t ScanForTerminator(std::uint64_t start);
    bool AcquireWriteLock();
    std::int32_t WriteLocked(std::string_view text, std::int32_t block);

    std::uint8_t tableVersion_;
    std::int32_t currentBlock_ = 0;
    std::uint32_t blockCount_ = 0;
    std::int32_t blockSize_ = kDefaultBlockSize;
    std::array<std::uint8_t, 32> workHeader_{};
    LockProtocol protocol_ = LockProtocol::Default;
    LockNumbers numbers_{};
    int blockHeaderSize_ = 0;
    int lockAttempts_ = kWriteLockAttempts;
    int lockPauseMs_ = kWriteLockPauseMs;
    bool usable_ = true;
    std::string extension_;
};

}  // namespace xbase
