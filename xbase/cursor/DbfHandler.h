// The table handler: the cursor over one open table. Movement hides deleted records
// when use-deleted is off, asks RecordAccepted of every record it lands on, follows the
// selected index tag and the filter set, serves sequential reads from a read-ahead window,
// and keeps the open index files current on every append and replace.
//
// Index files live in 63 owned slots. A table whose header flags a production index
// (the .CDX or .MDX of its own name) has that file opened for maintenance before its first
// write, even when nobody listed it, so that the other programs sharing the table find
// their index current; when it is missing or cannot be used, writes are refused with a
// message naming it unless SetIgnoreProductionIndex(true) was called.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "xbase/cursor/DbfFields.h"
#include "xbase/cursor/RecordBitSet.h"

namespace xbase {

class IndexFile;
class IndexFileBackup;
class IndexTag;
class IndexExpression;
struct IndexKey;

class DbfHandler : public DbfFields {
public:
    static constexpr int kIndexSlots = 63;
    static constexpr std::size_t kReadAheadBytes = 32768;

    // Opens the table: shared unless exclusive, writable unless read-only, `key` for an
    // enciphered table (refused; no table of this system is enciphered).
    DbfHandler(const std::string& name, bool shared, bool writable, const std::string& key = {});
    ~DbfHandler() override;

    // Takes the locks of every open index file first; false (error 33 recorded, nothing
    // written, no exception) when they cannot be had. Keys and FOR conditions of every
    // tag are evaluated before anything is written, so a bad expression writes nothing.
    bool AppendRecord() override;
    void Notify(int event, std::int32_t record) override;
    // Movement that walks past hidden records, in the selected tag's order and through the
    // filter set when they are in use. A record number goes straight there; 0 and
    // count + 1 leave a blank record in the buffer; the codes walk.
    void GoTo(std::int32_t code) override;
    bool ReplaceRecord(std::int32_t n) override;
    void SetLockProtocol(LockProtocol protocol) override;
    // True when index slot 1 holds an index file (record locks then sit below the append
    // offset).
    bool HasIndexFiles() const override;
    // Opens the production index first when the table keeps one (see above).
    bool RecordLock() override;

    // Moves by n visible records; 0 rereads the current one.
    virtual void Skip(std::int32_t n);
    // Whether a record the cursor walks onto is visible (besides the deletion flag).
    virtual bool RecordAccepted();
    // Locks every open index file in slot order, all or none.
    virtual bool LockIndexFiles();
    virtual void UnlockIndexFiles();

    // ------------------------------------------------------------ index files
    // Opens an index file into the lowest free slot: 0 on success, -1 when a slot holds a
    // file of that short name already. The name is upper-cased, gets ".NDX" without an
    // extension and the table's directory without a path. A missing file (or an unknown
    // extension) raises error 2, an unusable one error 2112, both with info -7.
    int OpenIndexFile(const std::string& name);
    // Closes all, then opens every name of `list` (separated by blanks, commas or
    // semicolons; double quotes keep blanks in a name) until one fails; when all opened,
    // selects `tag` keeping the position.
    void OpenIndexFiles(const std::string& list, const std::string& tag);
    // Frees every slot (writing back changed nodes and headers) and clears the tag.
    void CloseIndexFiles();
    // Selects the first tag of that name in slots 1..63 ("Cannot find index tag %s" when
    // none); the empty name selects record-number order. Then the cursor goes to the
    // current record when `keepPosition` and it is in the tag, else to the first record.
    void SelectTag(const std::string& name, bool keepPosition = false);
    // The n-th tag (from 1) counting through the slots and each file's tags; nullptr.
    IndexTag* TagByOrdinal(int n) const;
    int TagCount() const;
    IndexFile* IndexSlot(int slot) const;
    IndexTag* CurrentTag() const { return currentTag_; }
    std::string CurrentTagName() const { return currentTagName_.data(); }
    // Creates (or replaces) an index file for the table, builds its tag and puts it into
    // a slot; a multi-tag file (CDX, MDX) that exists keeps its other tags. Returns the
    // file. A tag the format cannot keep is refused before any byte is touched; a build
    // that fails (bad key or FOR expression, key too long, disk error) RAISES its error
    // after putting the file back byte for byte as it was (or removing the file it made).
    IndexFile& CreateIndex(const std::string& name, const std::string& tagName,
                           const std::string& keyExpression, const std::string& forExpression,
                           bool unique, bool descending);
    // Rebuilds every tag of every open index file.
    void Reindex();
    // Progress of long index work (tag builds, rebuilds) of every index file this table
    // opens or makes: (record count, 0, 0) at the start, (count, records done, 0) on the
    // way, (0, 0, 0) at the end.
    std::function<void(int stat1, int stat2, int stat3)> statusReport;

    // Seeks `keyText` in the selected tag ('C' text as given, 'N' a number, 'D' YYYYMMDD
    // or empty for the empty date). Found: the cursor is on the first visible record of
    // that key (exact setting on: the whole key; off: keys beginning with it). Not found:
    // with soft seek on the cursor stays on the next greater key, else it goes past the
    // end (EOF). Without a selected tag nothing moves and the result is false.
    bool SeekKey(const std::string& keyText);
    bool SoftSeek() const { return softSeek_; }
    void SetSoftSeek(bool on) { softSeek_ = on; }
    // Record number of the key in the named tag (exact comparison), or -1; the cursor of
    // the table does not move.
    std::int32_t FindKeyInTag(const std::string& tagName, const std::string& keyText);
    // Limits the selected tag to the keys between low and high (empty: no limit); with
    // `partial` a bound that begins a key matches it. False without a tag or when the
    // bounds are already set; otherwise the cursor goes to the first record.
    bool SetRange(const std::string& low, const std::string& high, bool partial = false,
                  bool lowInclusive = true, bool highInclusive = true);
    void ClearRange();
    // The key the selected tag builds from `keyText` (as SeekKey reads it).
    IndexKey KeyFromText(const IndexTag& tag, const std::string& keyText) const;

    // Production index: the .CDX or .MDX of the table's name when the header flags one.
    // Writes open it for maintenance; ignoring it lets writes go on without it.
    void SetIgnoreProductionIndex(bool ignore) { ignoreProductionIndex_ = ignore; }
    bool IgnoreProductionIndex() const { return ignoreProductionIndex_; }
    // Opens the production index for maintenance now, as the first write would, and
    // raises (error 2, the message naming it) when writes would be refused for it.
    void CheckProductionIndex();
    // The path the production index has or would have (empty when the header flags none).
    std::string ProductionIndexPath() const;

    // ------------------------------------------------------------ filter
    // Compiles `text` and builds the filter set once per distinct text and flags; a result
    // that is not logical raises "Filter expression must return boolean result". The
    // cursor keeps its record. An empty text drops the filter.
    void SetFilter(const std::string& text, bool caseInsensitive = false, bool partial = true);
    // Active when on and an expression exists.
    void SetFilterActive(bool on);
    bool FilterActive() const { return filterActive_; }
    // Evaluates every record again.
    void RebuildFilter();
    const RecordBitSet& FilterSet() const { return filterSet_; }
    const std::string& FilterText() const { return filterText_; }

    // ------------------------------------------------------------ locate
    // From the first record, finds the first visible record whose fields (names separated
    // by ';' or ',') hold the values: each field's text (upper-cased when
    // case-insensitive; the last one cut to its value's length when partial) equals the
    // value. The cursor is left on the match; false (cursor where it was) when none.
    // Case-sensitive locates with a tag selected are served by a seek when the selected
    // tag, or else the first in ordinal order, has no FOR condition and a text key that
    // begins with the located text fields joined by '+';
    // the match is then the first in that tag's order, and the selected tag stays selected.
    bool LocateRecord(const std::string& fieldList, const std::vector<std::string>& values,
                      bool partial, bool caseInsensitive);

    // Read-ahead window for sequential scans: 32,768 bytes rounded down to whole records,
    // at least one record. Rereads of the current record always go to the disk.
    void SetReadAhead(bool on);
    bool ReadAhead() const { return readAheadOn_; }
    void SetReadAheadAllowed(bool allowed);
    bool ReadAheadAllowed() const { return readAheadAllowed_; }
    std::size_t ReadAheadWindowSize() const { return window_.size(); }

    bool Found() const { return found_; }
    bool Positioned() const { return positioned_; }
    bool OutOfScope() const { return outOfScope_; }

    std::size_t DiskRead(std::uint64_t offset, void* buffer, std::size_t count) override;
    void DiskWrite(std::uint64_t offset, const void* buffer, std::size_t count) override;
    bool DiskRename(const std::string& newName) override;
    bool DiskClose() override;
    void DiskTruncate(std::uint64_t newEnd) override;

protected:
    // Calls `visit(recNo)` for every record in record-number order with the record buffer
    // pointed at it (records read in large pieces); the cursor is put back afterwards.
    template <typename Visit>
    void ScanRecords(Visit visit);

    IndexTag* currentTag_ = nullptr;
    std::array<char, 16> currentTagName_{};
    bool found_ = false;
    bool positioned_ = false;
    bool outOfScope_ = false;
    bool filterRequested_ = false;
    bool filterActive_ = false;

private:
    // Runs an append or replace inside the locks of every open index file.
    template <typename Write>
    bool UnderIndexLocks(Write write);
    void EmptyWindow() { windowStart_ = windowEnd_ = 0; }
    // The next record number in tag or filter order for a move code; 0 with EOF/BOF set.
    std::int32_t NextInOrder(std::int32_t code);
    // Puts the tag's cursor at the current record (or where it would be).
    void SyncTag();
    // Whether the record in the buffer belongs to the selected tag and its range.
    bool InTagScope();
    void EnsureProductionIndex();
    // Sets the table's production-index flag when `file` is a CDX or MDX of its name.
    void FlagProductionIndex(const IndexFile& file);
    // The tag a locate of `fields` can seek in (see LocateRecord), nullptr when none;
    // `wholeKey` says whether the fields make the whole key or only its beginning.
    IndexTag* TagForLocate(const std::vector<int>& fields, bool& wholeKey) const;
    // A locate by a seek: the found flag, or nothing when no tag serves (then it scans).
    std::optional<bool> LocateBySeek(const std::vector<int>& fields,
                                     const std::vector<std::string>& values, bool partial);
    // After a failed CreateIndex: closes the file's slot without writing, puts `backup`
    // back, and opens the file again (with its selected tag) when it was open before.
    // Returns 0 or the Windows error code of the restore.
    int PutBackIndexFile(const std::string& path, const IndexFileBackup& backup, bool reopen);
    // Evaluates every tag's key and FOR on the record buffer (raises on a bad expression).
    void CheckKeysBeforeWrite();
    void BuildFilterSet();
    bool FilterAccepts();
    int FreeSlot() const;
    // Gives a file this table opened or made its lock protocol and progress report.
    void Adopt(IndexFile& file);

    std::array<std::unique_ptr<IndexFile>, kIndexSlots> indexSlots_;
    // The record as the file held it before a replace (for the index maintenance).
    std::vector<std::uint8_t> diskRecord_;
    bool diskRecordValid_ = false;
    bool softSeek_ = false;
    bool ignoreProductionIndex_ = false;
    bool productionChecked_ = false;
    std::string productionError_;

    std::unique_ptr<IndexExpression> filterExpr_;
    std::string filterText_;
    bool filterCaseInsensitive_ = false;
    bool filterPartial_ = true;
    RecordBitSet filterSet_;

    std::vector<std::uint8_t> window_;
    std::uint64_t windowStart_ = 0;  // file offset of the first buffered byte
    std::uint64_t windowEnd_ = 0;    // offset after the last one (start == end: empty)
    bool readAheadOn_ = false;
    bool readAheadAllowed_ = true;
};

}  // namespace xbase
