#include "xbase/cursor/DbfHandler.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/OsFile.h"
#include "platform/Paths.h"
#include "xbase/file/EngineError.h"
#include "xbase/file/NameText.h"
#include "xbase/index/IndexExpression.h"
#include "xbase/index/IndexFile.h"
#include "xbase/index/IndexFileBackup.h"
#include "xbase/index/IndexFormats.h"
#include "xbase/table/DbfDate.h"
#include "xbase/table/RecordBufferScope.h"

namespace xbase {

namespace {

std::string ShortNameOf(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Splits an index list at blanks, commas and semicolons outside double quotes.
std::vector<std::string> SplitIndexList(const std::string& list) {
    std::vector<std::string> names;
    std::string name;
    bool quoted = false;
    for (char c : list) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == ' ' || c == ',' || c == ';')) {
            if (!name.empty()) names.push_back(name);
            name.clear();
        } else {
            name += c;
        }
    }
    if (!name.empty()) names.push_back(name);
    return names;
}

bool FileExists(const std::string& path) {
    return platform::FileExists(platform::ResolveHostPath(platform::ExpandFullPath(path)));
}

}  // namespace

DbfHandler::DbfHandler(const std::string& name, bool shared, bool writable, const std::string& key)
    : DbfFields(name, shared, writable, key) {}

DbfHandler::~DbfHandler() {
    try {
        CloseIndexFiles();
    } catch (...) {
        // Closing cannot report; what was written stays.
    }
}

// ---------------------------------------------------------------- index slots

bool DbfHandler::HasIndexFiles() const { return indexSlots_[0] != nullptr; }

IndexFile* DbfHandler::IndexSlot(int slot) const {
    if (slot < 1 || slot > kIndexSlots) return nullptr;
    return indexSlots_[static_cast<std::size_t>(slot - 1)].get();
}

int DbfHandler::FreeSlot() const {
    for (int i = 0; i < kIndexSlots; ++i) {
        if (!indexSlots_[static_cast<std::size_t>(i)]) return i;
    }
    return -1;
}

void DbfHandler::Adopt(IndexFile& file) {
    file.SetLockProtocol(LockProtocolValue());
    file.progress = [this](int stat1, int stat2, int stat3) {
        if (statusReport) statusReport(stat1, stat2, stat3);
    };
}

int DbfHandler::OpenIndexFile(const std::string& name) {
    const std::string path = IndexFileName(*this, name);
    const std::string shortName = ShortNameOf(path);
    for (const auto& slot : indexSlots_) {
        if (slot && slot->ShortName() == shortName) return -1;
    }
    const int free = FreeSlot();
    if (free < 0) {
        ReportEngineError(err::LockViolation, sub::None, path);  // no slot left
        return err::FileNotFound;
    }
    std::unique_ptr<IndexFile> file = xbase::OpenIndexFile(*this, path);
    if (!file) return err::FileNotFound;
    Adopt(*file);
    FlagProductionIndex(*file);
    indexSlots_[static_cast<std::size_t>(free)] = std::move(file);
    return 0;
}

void DbfHandler::FlagProductionIndex(const IndexFile& file) {
    // Production-index flag: a CDX or MDX of the table's own name.
    if (!file.CanBeProductionIndex() || !IsReadWrite() ||
        (TableFlags() & dbf::kFlagProductionIndex) != 0)
        return;
    std::string tableBase = ShortNameOf(FullPath());
    std::string fileBase = file.ShortName();
    tableBase = tableBase.substr(0, tableBase.rfind('.'));
    fileBase = fileBase.substr(0, fileBase.rfind('.'));
    if (tableBase != fileBase) return;
    SetTableFlags(static_cast<std::uint8_t>(TableFlags() | dbf::kFlagProductionIndex));
    SetHeaderDirty(true);
    WriteHeader();
}

void DbfHandler::OpenIndexFiles(const std::string& list, const std::string& tag) {
    CloseIndexFiles();
    for (const std::string& name : SplitIndexList(list)) {
        if (OpenIndexFile(name) != 0) return;
    }
    SelectTag(tag, true);
}

void DbfHandler::CloseIndexFiles() {
    currentTag_ = nullptr;
    currentTagName_.fill(0);
    for (auto& slot : indexSlots_) {
        if (slot) {
            slot->ReleaseTags();
            slot.reset();
        }
    }
    productionChecked_ = false;
}

IndexTag* DbfHandler::TagByOrdinal(int n) const {
    if (n < 1) return nullptr;
    for (const auto& slot : indexSlots_) {
        if (!slot) continue;
        if (n <= slot->TagCount()) return slot->Tags()[static_cast<std::size_t>(n - 1)].get();
        n -= slot->TagCount();
    }
    return nullptr;
}

int DbfHandler::TagCount() const {
    int count = 0;
    for (const auto& slot : indexSlots_) {
        if (slot) count += slot->TagCount();
    }
    return count;
}

void DbfHandler::SelectTag(const std::string& name, bool keepPosition) {
    const std::string wanted = UpperTrimmed(name);
    const std::int32_t current = CurrentRecord();
    if (wanted.empty()) {
        if (currentTag_ != nullptr) {
            currentTag_->ClearRange();
            currentTag_->Release();
        }
        currentTag_ = nullptr;
        currentTagName_.fill(0);
        SetReadAhead(true);
        if (!keepPosition) GoTo(move::First);
        return;
    }
    IndexTag* found = nullptr;
    for (const auto& slot : indexSlots_) {
        if (slot && (found = slot->FindTag(wanted)) != nullptr) break;
    }
    if (found == nullptr) throw XBaseError("Cannot find index tag " + wanted);
    if (currentTag_ != nullptr) {
        currentTag_->ClearRange();
        currentTag_->Release();
    }
    SetReadAhead(false);
    currentTag_ = found;
    currentTag_->ClearRange();
    currentTagName_.fill(0);
    std::copy_n(found->Name().begin(), std::min<std::size_t>(found->Name().size(), 15),
                currentTagName_.begin());
    if (keepPosition && current > 0 && current <= RecordCount()) {
        GoTo(current);
        if (!Eof() && InTagScope()) {
            SyncTag();
            return;
        }
    }
    GoTo(move::First);
}

IndexFile& DbfHandler::CreateIndex(const std::string& name, const std::string& tagName,
                                   const std::string& keyExpression,
                                   const std::string& forExpression, bool unique, bool descending) {
    const std::string path = IndexFileName(*this, name);
    const std::string shortName = ShortNameOf(path);
    IndexFile* file = nullptr;
    for (auto& slot : indexSlots_) {
        if (slot && slot->ShortName() == shortName) file = slot.get();
    }
    TagDefinition definition;
    definition.keyExpression = keyExpression;
    definition.forExpression = forExpression;
    definition.unique = unique;
    definition.descending = descending;
    bool multiTag = false;
    {
        // A tag the format cannot keep is refused before the file is made or cut.
        std::unique_ptr<IndexFile> probe;
        IndexFileMaker maker = IndexFormatFor(path);
        if (file == nullptr && maker != nullptr) probe = maker(*this, path);
        const IndexFile* kind = file != nullptr ? file : probe.get();
        const std::string refusal = kind != nullptr ? kind->Refuses(definition) : std::string();
        if (!refusal.empty()) throw XBaseError(refusal);
        multiTag = kind != nullptr && kind->CanBeProductionIndex();
    }
    // The file's bytes are kept until the tag is built: a build that fails puts them back.
    const IndexFileBackup backup(path, file);
    const bool wasOpen = file != nullptr;
    try {
        if (file == nullptr) {
            const int free = FreeSlot();
            if (free < 0) throw XBaseError("No index slot left for " + path);
            // A multi-tag file (CDX, MDX) keeps its other tags; a single-tag file is made anew.
            std::unique_ptr<IndexFile> made = multiTag && FileExists(path)
                                                  ? xbase::OpenIndexFile(*this, path)
                                                  : CreateIndexFile(*this, path);
            if (!made) throw XBaseError("Cannot create index file " + path);
            Adopt(*made);
            file = made.get();
            indexSlots_[static_cast<std::size_t>(free)] = std::move(made);
        }
        definition.name = tagName.empty() ? file->BaseName() : tagName;
        FlushPendingAppends();
        // The build may replace the selected tag (a single-tag file is made anew): the
        // handler lets go of it first and selects it again by name afterwards.
        const bool reselect = currentTag_ != nullptr && &currentTag_->File() == file;
        if (reselect) {
            currentTag_->Release();
            currentTag_ = nullptr;
        }
        file->AddTag(definition);
        file->ReleaseTags();
        if (reselect)
            SelectTag(
                file->FindTag(UpperTrimmed(CurrentTagName())) != nullptr ? CurrentTagName() : "",
                true);
    } catch (const std::exception& e) {
        const int code = PutBackIndexFile(path, backup, wasOpen);
        if (code != 0) {
            throw XBaseError(std::string(e.what()) + "; index file " + path +
                             " could not be put back as it was (error " + std::to_string(code) +
                             ")");
        }
        throw;
    }
    // A new compound index of the table's own name is its production index, as the
    // programs that make one mark it, so that every writer keeps it current.
    FlagProductionIndex(*file);
    return *file;
}

int DbfHandler::PutBackIndexFile(const std::string& path, const IndexFileBackup& backup,
                                 bool reopen) {
    const std::string shortName = ShortNameOf(path);
    int slotIndex = -1;
    for (int i = 0; i < kIndexSlots; ++i) {
        auto& slot = indexSlots_[static_cast<std::size_t>(i)];
        if (!slot || slot->ShortName() != shortName) continue;
        if (currentTag_ != nullptr && &currentTag_->File() == slot.get()) currentTag_ = nullptr;
        slot->DiscardTags();  // nothing of the failed build is written on closing
        slot.reset();
        slotIndex = i;
    }
    const int code = backup.Restore();
    if (code != 0 || !reopen || slotIndex < 0) return code;
    // The file was open before: it is opened again in its slot, and its selected tag with it.
    try {
        std::unique_ptr<IndexFile> again = xbase::OpenIndexFile(*this, path);
        if (!again) return 0;
        Adopt(*again);
        indexSlots_[static_cast<std::size_t>(slotIndex)] = std::move(again);
        if (currentTag_ == nullptr && currentTagName_[0] != 0) SelectTag(CurrentTagName(), true);
    } catch (const std::exception&) {
        // The bytes are back; the caller reports the build's error, and the file opens again
        // with the next OpenIndexFile.
    }
    return 0;
}

void DbfHandler::Reindex() {
    FlushPendingAppends();
    for (auto& slot : indexSlots_) {
        if (slot) slot->Reindex();
    }
}

// ---------------------------------------------------------------- production index

std::string DbfHandler::ProductionIndexPath() const {
    if ((TableFlags() & dbf::kFlagProductionIndex) == 0) return {};
    const std::string& path = FullPath();
    std::size_t dot = path.rfind('.');
    std::size_t slash = path.find_last_of("\\/");
    std::string base = (dot != std::string::npos && (slash == std::string::npos || dot > slash))
                           ? path.substr(0, dot)
                           : path;
    const std::string cdx = base + ".CDX";
    const std::string mdx = base + ".MDX";
    if (FileExists(cdx)) return cdx;
    if (FileExists(mdx)) return mdx;
    return Version() == 0x8B ? mdx : cdx;
}

void DbfHandler::EnsureProductionIndex() {
    if (productionChecked_ || ignoreProductionIndex_ || !IsReadWrite()) return;
    productionChecked_ = true;
    productionError_.clear();
    const std::string path = ProductionIndexPath();
    if (path.empty()) return;
    const std::string shortName = ShortNameOf(path);
    for (const auto& slot : indexSlots_) {
        if (slot && slot->ShortName() == shortName) return;
    }
    if (!FileExists(path)) {
        productionError_ = "Production index " + path + " of table " + FullPath() +
                           " is missing; the table is not written, so that the index other "
                           "programs keep does not go stale";
        return;
    }
    // A kind the framework does not know is kept by its own code, outside these slots.
    if (IndexFormatFor(path) == nullptr) return;
    try {
        std::unique_ptr<IndexFile> file = xbase::OpenIndexFile(*this, path);
        if (!file) throw XBaseError("it cannot be opened");
        Adopt(*file);
        const int free = FreeSlot();
        if (free < 0) throw XBaseError("no index slot is free");
        indexSlots_[static_cast<std::size_t>(free)] = std::move(file);
    } catch (const std::exception& e) {
        productionError_ = "Production index " + path + " of table " + FullPath() +
                           " cannot be kept current (" + e.what() +
                           "); the table is not written, so that the index does not go stale";
    }
}

// ---------------------------------------------------------------- locks and writes

bool DbfHandler::LockIndexFiles() {
    for (std::size_t i = 0; i < indexSlots_.size(); ++i) {
        if (!indexSlots_[i]) continue;
        if (!indexSlots_[i]->TryLock()) {
            for (std::size_t j = 0; j < i; ++j) {
                if (indexSlots_[j]) indexSlots_[j]->Unlock();
            }
            return false;
        }
    }
    return true;
}

void DbfHandler::UnlockIndexFiles() {
    for (auto& slot : indexSlots_) {
        if (slot) slot->Unlock();
    }
}

bool DbfHandler::RecordLock() {
    EnsureProductionIndex();
    return DbfFields::RecordLock();
}

bool DbfHandler::RecordAccepted() { return true; }

void DbfHandler::SetLockProtocol(LockProtocol protocol) {
    DbfFields::SetLockProtocol(protocol);
    for (auto& slot : indexSlots_) {
        if (slot) slot->SetLockProtocol(protocol);
    }
}

void DbfHandler::CheckKeysBeforeWrite() {
    for (auto& slot : indexSlots_) {
        if (!slot) continue;
        for (const auto& tag : slot->Tags()) {
            const std::string refusal = tag->WriteRefusal();
            if (!refusal.empty()) throw XBaseError(refusal);
            tag->EvaluateFor();
            tag->EvaluateKey();
        }
    }
}

void DbfHandler::CheckProductionIndex() {
    EnsureProductionIndex();
    if (!productionError_.empty()) throw XBaseError(productionError_, err::FileNotFound, sub::None);
}

template <typename Write>
bool DbfHandler::UnderIndexLocks(Write write) {
    CheckProductionIndex();
    if (!HasIndexFiles()) return write();
    CheckKeysBeforeWrite();
    if (!LockIndexFiles()) {
        SetLastError(err::LockViolation);
        SetLastEngineFileError(err::LockViolation);
        return false;
    }
    bool written = false;
    try {
        written = write();
    } catch (...) {
        diskRecordValid_ = false;
        UnlockIndexFiles();
        throw;
    }
    diskRecordValid_ = false;
    UnlockIndexFiles();
    return written;
}

bool DbfHandler::AppendRecord() {
    return UnderIndexLocks([this] { return DbfFields::AppendRecord(); });
}

bool DbfHandler::ReplaceRecord(std::int32_t n) {
    return UnderIndexLocks([this, n] {
        diskRecordValid_ = false;
        if (HasIndexFiles() && n >= 1 && n <= RecordCount()) {
            // The index holds the keys of the record as the file has it now; that is what
            // must be found and replaced, whatever the buffer's old-value copy says.
            diskRecord_.assign(static_cast<std::size_t>(RecordLength()) + 1, ' ');
            const std::size_t got = DbfFields::DiskRead(RecordOffset(n), diskRecord_.data(),
                                                        static_cast<std::size_t>(RecordLength()));
            diskRecordValid_ = got == static_cast<std::size_t>(RecordLength());
        }
        return DbfFields::ReplaceRecord(n);
    });
}

void DbfHandler::Notify(int ev, std::int32_t record) {
    DbfFields::Notify(ev, record);
    if (ev != event::AfterWrite) return;
    const std::int32_t written = record == 0 ? CurrentRecord() : record;
    if (HasIndexFiles()) {
        RecordWrite write;
        write.recNo = static_cast<std::uint32_t>(written);
        write.append = record == 0;
        write.newRecord = RecordBuffer();
        if (!write.append) {
            write.oldRecord = diskRecordValid_ ? diskRecord_.data() : OldRecord();
            write.recordChanged = std::memcmp(write.oldRecord, write.newRecord,
                                              static_cast<std::size_t>(RecordLength())) != 0;
        }
        for (auto& slot : indexSlots_) {
            if (slot) slot->RecordWritten(write);
        }
    }
    if (filterExpr_) filterSet_.Set(written, FilterAccepts());
}

// ---------------------------------------------------------------- movement

bool DbfHandler::InTagScope() {
    // A tag without a FOR condition or a range holds every record's key.
    if (currentTag_ == nullptr || (!currentTag_->HasFor() && !currentTag_->HasRange())) return true;
    if (!currentTag_->EvaluateFor()) return false;
    return currentTag_->InRange(currentTag_->EvaluateKey());
}

void DbfHandler::SyncTag() {
    if (currentTag_ == nullptr || CurrentRecord() < 1) return;
    if (currentTag_->CurrentRecNo() == static_cast<std::uint32_t>(CurrentRecord())) return;
    currentTag_->SetCursor(currentTag_->EvaluateKey(), static_cast<std::uint32_t>(CurrentRecord()));
}

std::int32_t DbfHandler::NextInOrder(std::int32_t code) {
    const bool forward = code == move::First || code == move::Next || code == move::Reread;
    if (currentTag_ != nullptr) {
        SetReadAhead(false);
        std::int32_t step = code;
        // The tag's cursor is put on the current record once: keys the filter passes over
        // are stepped from the tag's own cursor (syncing again would go back each time).
        bool synced = false;
        auto sync = [&] {
            if (!synced) SyncTag();
            synced = true;
        };
        for (;;) {
            std::uint32_t rec = 0;
            switch (step) {
                case move::First:
                    rec = currentTag_->Top();
                    synced = true;
                    break;
                case move::Last:
                    rec = currentTag_->Bottom();
                    synced = true;
                    break;
                case move::Next:
                    sync();
                    rec = currentTag_->Next();
                    break;
                case move::Prior:
                    sync();
                    rec = currentTag_->Prior();
                    break;
                default:
                    if (CurrentRecord() < 1) {
                        rec = currentTag_->Top();
                    } else {
                        return CurrentRecord();
                    }
            }
            if (rec == 0) {
                const bool nothing = step == move::First || step == move::Last;
                SetCursorFlags(forward || nothing, !forward || nothing);
                return 0;
            }
            if (filterActive_ && !filterSet_.Test(static_cast<std::int32_t>(rec))) {
                step = forward ? move::Next : move::Prior;
                continue;
            }
            return static_cast<std::int32_t>(rec);
        }
    }
    std::int32_t rec = 0;
    switch (code) {
        case move::First:
            rec = filterSet_.First();
            break;
        case move::Last:
            rec = filterSet_.Last();
            break;
        case move::Next:
            rec = filterSet_.NextAfter(CurrentRecord());
            break;
        case move::Prior:
            rec = filterSet_.PriorBefore(CurrentRecord());
            break;
        default:
            rec = filterSet_.Test(CurrentRecord()) ? CurrentRecord()
                                                   : filterSet_.NextAfter(CurrentRecord());
    }
    if (rec == 0) {
        const bool empty = filterSet_.First() == 0;
        SetCursorFlags(forward || empty, !forward || empty);
    }
    return rec;
}

void DbfHandler::GoTo(std::int32_t code) {
    if (State() != tablestate::Normal) {
        DbfFields::GoTo(code);
        return;
    }
    outOfScope_ = false;
    positioned_ = false;
    SetCursorFlags(false, false);
    const bool readAheadWas = readAheadOn_;
    const std::int32_t direction = (code == move::Reread || code == move::First) ? move::Next
                                   : code == move::Last                          ? move::Prior
                                                                                 : code;
    const bool ordered = currentTag_ != nullptr || filterActive_;
    std::int32_t step = code;
    for (;;) {
        bool walked = false;
        if (step < 0 && ordered) {
            const std::int32_t target = NextInOrder(step);
            if (target == 0) break;
            if (target > RecordCount()) RefreshHeader();
            if (target > RecordCount()) {
                // A key of a record the file does not hold (yet): step over it.
                step = direction;
                continue;
            }
            step = target;
            walked = true;
        }
        if (Eof() || Bof()) break;
        DbfFields::GoTo(step);
        if (step == 0 || step > RecordCount()) {
            BlankRecord();
            readAheadOn_ = readAheadWas;
            return;
        }
        if ((step > 0 && !walked) || Eof() || Bof()) break;
        if ((UseDeleted() || !RecordDeleted()) && RecordAccepted()) break;
        step = direction;
    }
    readAheadOn_ = readAheadWas;
    positioned_ = !Eof() && !Bof();
    if (positioned_) {
        if (currentTag_ != nullptr && code > 0) outOfScope_ = !InTagScope();
        if (filterActive_ && !filterSet_.Test(CurrentRecord())) outOfScope_ = true;
    }
}

void DbfHandler::Skip(std::int32_t n) {
    if (n == 0) {
        GoTo(move::Reread);
        return;
    }
    if (!filterRequested_ && UseDeleted() && currentTag_ == nullptr) {
        std::int64_t target = static_cast<std::int64_t>(CurrentRecord()) + n;
        if (target > RecordCount()) RefreshHeader();
        const std::int64_t count = RecordCount();
        if (count == 0) {
            GoTo(move::First);
            return;
        }
        const bool pastEnd = target > count;
        const bool beforeStart = target < 1;
        target = std::clamp<std::int64_t>(target, 1, count);
        GoTo(static_cast<std::int32_t>(target));
        if (pastEnd || beforeStart) {
            SetCursorFlags(pastEnd, beforeStart);
            positioned_ = false;
        }
        return;
    }
    const std::int32_t code = n > 0 ? move::Next : move::Prior;
    const std::int64_t steps = n > 0 ? static_cast<std::int64_t>(n) : -static_cast<std::int64_t>(n);
    for (std::int64_t i = 0; i < steps; ++i) {
        GoTo(code);
        if (Eof() || Bof()) break;
    }
}

// ---------------------------------------------------------------- keys

IndexKey DbfHandler::KeyFromText(const IndexTag& tag, const std::string& keyText) const {
    KeyValue value;
    switch (tag.KeyType()) {
        case 'N': {
            value.type = 'N';
            char* end = nullptr;
            value.number = std::strtod(keyText.c_str(), &end);
            if (end == keyText.c_str() && !keyText.empty()) {
                throw XBaseError("Key " + keyText + " is no number for tag " + tag.Name());
            }
            break;
        }
        case 'D': {
            value.type = 'D';
            std::string digits = UpperTrimmed(keyText);
            if (digits.empty()) {
                value.number = KeyValue::kEmptyDate;
            } else {
                platform::CivilDate date;
                if (!DbfDate::ReadStorageDigits(digits, date)) {
                    throw XBaseError("Key " + keyText + " is no date (YYYYMMDD) for tag " +
                                     tag.Name());
                }
                value.number = DbfDate::JulianFromDate(date);
            }
            break;
        }
        default:
            value.type = 'C';
            value.text = keyText;
            break;
    }
    return tag.ConvertKey(value);
}

bool DbfHandler::SeekKey(const std::string& keyText) {
    found_ = false;
    if (currentTag_ == nullptr) return false;
    IndexTag& tag = *currentTag_;
    const IndexKey key = KeyFromText(tag, keyText);
    // Blanks at the end of a text key count: the stored keys stand for their text padded
    // with blanks to the key's length.
    std::string padded;
    const bool textKey = tag.KeyType() == 'C' && key.IsText();
    if (textKey && keyText.size() > key.text.size())
        padded = keyText.substr(0, static_cast<std::size_t>(std::max(tag.KeyLength(), 0)));
    const int result = tag.Search(key, IndexTag::kAnyRecord, true);
    if (result != 1) {
        GoTo(static_cast<std::int32_t>(tag.CurrentRecNo()));
        if (!Eof() && ((!UseDeleted() && RecordDeleted()) || !RecordAccepted() ||
                       (filterActive_ && !filterSet_.Test(CurrentRecord())))) {
            GoTo(move::Next);
        }
    }
    if (!Eof() && !Bof() && tag.CurrentRecNo() == static_cast<std::uint32_t>(CurrentRecord())) {
        const IndexKey& at = tag.CurrentEntry().key;
        if (!padded.empty()) {
            std::string stored = at.text;
            stored.resize(std::max(stored.size(), padded.size()), ' ');
            found_ = stored.compare(0, padded.size(), padded) == 0 &&
                     (!ExactMatch() || static_cast<int>(padded.size()) >= tag.KeyLength() ||
                      stored.find_first_not_of(' ', padded.size()) == std::string::npos);
        } else {
            found_ = tag.CompareInTag(key, at, !ExactMatch()) == 0;
        }
    }
    if (!found_ && (!softSeek_ || result == 1 || Eof())) {
        GoTo(move::Last);
        if (!Eof() && !Bof()) {
            SetCursorFlags(true, false);
        } else {
            SetCursorFlags(true, Bof());
        }
        positioned_ = false;
    }
    return found_;
}

std::int32_t DbfHandler::FindKeyInTag(const std::string& tagName, const std::string& keyText) {
    const std::string wanted = UpperTrimmed(tagName);
    IndexTag* tag = nullptr;
    for (const auto& slot : indexSlots_) {
        if (slot && (tag = slot->FindTag(wanted)) != nullptr) break;
    }
    if (tag == nullptr) throw XBaseError("Cannot find index tag " + wanted);
    const IndexKey key = KeyFromText(*tag, keyText);
    if (tag->Search(key, IndexTag::kAnyRecord, false) != 0) return -1;
    return static_cast<std::int32_t>(tag->CurrentRecNo());
}

bool DbfHandler::SetRange(const std::string& low, const std::string& high, bool partial,
                          bool lowInclusive, bool highInclusive) {
    if (currentTag_ == nullptr) return false;
    auto bound = [&](const std::string& text) -> std::optional<IndexKey> {
        std::string trimmed = text;
        while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
        if (trimmed.empty()) return std::nullopt;
        return KeyFromText(*currentTag_, trimmed);
    };
    if (!currentTag_->SetRange(bound(low), bound(high), partial, lowInclusive, highInclusive))
        return false;
    GoTo(move::First);
    return true;
}

void DbfHandler::ClearRange() {
    if (currentTag_ != nullptr) currentTag_->ClearRange();
}

// ---------------------------------------------------------------- scans, filter, locate

template <typename Visit>
void DbfHandler::ScanRecords(Visit visit) {
    FlushPendingAppends();
    RefreshHeader();
    const std::int32_t count = RecordCount();
    const std::size_t length = static_cast<std::size_t>(RecordLength());
    if (count <= 0 || length == 0) return;
    const std::size_t perChunk = std::max<std::size_t>(1, kReadAheadBytes * 2 / length);
    std::vector<std::uint8_t> chunk(perChunk * length + 1, ' ');
    std::uint8_t* const previous = RecordBuffer();
    try {
        for (std::int32_t first = 1; first <= count;) {
            const std::size_t want =
                std::min<std::size_t>(perChunk, static_cast<std::size_t>(count - first + 1));
            const std::size_t got =
                DbfFields::DiskRead(RecordOffset(first), chunk.data(), want * length) / length;
            for (std::size_t i = 0; i < got; ++i) {
                UseRecordBuffer(chunk.data() + i * length);
                if (!visit(first + static_cast<std::int32_t>(i))) {
                    UseRecordBuffer(previous);
                    return;
                }
            }
            if (got < want) break;
            first += static_cast<std::int32_t>(want);
        }
    } catch (...) {
        UseRecordBuffer(previous);
        throw;
    }
    UseRecordBuffer(previous);
}

bool DbfHandler::FilterAccepts() {
    if (!filterExpr_) return true;
    return filterExpr_->Condition();
}

void DbfHandler::SetFilter(const std::string& text, bool caseInsensitive, bool partial) {
    std::string trimmed = text;
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
    if (trimmed.empty()) {
        filterExpr_.reset();
        filterText_.clear();
        filterActive_ = false;
        filterSet_.Resize(0);
        return;
    }
    if (filterExpr_ && trimmed == filterText_ && caseInsensitive == filterCaseInsensitive_ &&
        partial == filterPartial_) {
        return;
    }
    auto expression =
        std::make_unique<IndexExpression>(*this, trimmed, Memo(), caseInsensitive, partial);
    // The result must be logical: tried on a blank record, which every table has.
    {
        std::vector<std::uint8_t> blank(static_cast<std::size_t>(RecordLength()) + 1, ' ');
        RecordBufferScope view(*this, blank.data());
        KeyValue value = expression->Evaluate();
        if (value.type != 'L') throw XBaseError("Filter expression must return boolean result");
    }
    filterExpr_ = std::move(expression);
    filterText_ = trimmed;
    filterCaseInsensitive_ = caseInsensitive;
    filterPartial_ = partial;
    BuildFilterSet();
    filterActive_ = filterRequested_;
}

void DbfHandler::BuildFilterSet() {
    filterSet_.Resize(0);
    if (!filterExpr_) return;
    filterSet_.Resize(RecordCount());
    ScanRecords([this](std::int32_t recNo) {
        if (filterExpr_->Condition()) filterSet_.Set(recNo, true);
        return true;
    });
}

void DbfHandler::SetFilterActive(bool on) {
    filterRequested_ = on;
    filterActive_ = on && filterExpr_ != nullptr;
}

void DbfHandler::RebuildFilter() { BuildFilterSet(); }

bool DbfHandler::LocateRecord(const std::string& fieldList, const std::vector<std::string>& values,
                              bool partial, bool caseInsensitive) {
    std::vector<int> fields;
    std::string name;
    for (std::size_t i = 0; i <= fieldList.size(); ++i) {
        const char c = i < fieldList.size() ? fieldList[i] : ';';
        if (c == ';' || c == ',') {
            std::string trimmed = UpperTrimmed(name);
            if (!trimmed.empty()) fields.push_back(LookupField(trimmed)->number);
            name.clear();
        } else {
            name += c;
        }
    }
    if (fields.empty() || fields.size() != values.size()) {
        throw XBaseError("Locate needs one value per field: " + fieldList);
    }
    if (!caseInsensitive && currentTag_ != nullptr) {
        if (const std::optional<bool> found = LocateBySeek(fields, values, partial)) return *found;
    }
    std::vector<std::string> wanted = values;
    if (caseInsensitive) {
        for (auto& v : wanted)
            for (char& ch : v) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    auto matches = [&]() {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            std::string text(GetFieldTextView(fields[i]));
            std::string value = wanted[i];
            if (caseInsensitive) {
                for (char& c : text)
                    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
            while (!value.empty() && value.back() == ' ') value.pop_back();
            if (partial && i + 1 == fields.size() && text.size() > value.size())
                text.resize(value.size());
            if (text != value) return false;
        }
        return true;
    };
    std::int32_t match = 0;
    ScanRecords([&](std::int32_t recNo) {
        if (!UseDeleted() && RecordDeleted()) return true;
        if (filterActive_ && !filterSet_.Test(recNo)) return true;
        if (!matches()) return true;
        match = recNo;
        return false;
    });
    if (match == 0) return false;
    GoTo(match);
    if (!RecordAccepted()) {
        // Visible to the scan but not to the dataset's own filter: look on.
        for (GoTo(move::Next); !Eof(); GoTo(move::Next)) {
            if (matches()) return true;
        }
        return false;
    }
    SyncTag();
    return true;
}

IndexTag* DbfHandler::TagForLocate(const std::vector<int>& fields, bool& wholeKey) const {
    auto serves = [&](const IndexTag& tag) {
        if (tag.KeyType() != 'C' || !tag.ForExpressionText().empty()) return false;
        // The key's parts, with '+' and '-' read as separators.
        std::vector<std::string> parts(1);
        for (char c : tag.KeyExpressionText()) {
            if (c == '+' || c == '-') {
                parts.emplace_back();
            } else {
                parts.back() += c;
            }
        }
        if (parts.size() < fields.size()) return false;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const FieldDescriptor* field = FieldAt(fields[i]);
            if (field == nullptr || FieldType(fields[i]) != 'C' ||
                UpperTrimmed(parts[i]) != UpperTrimmed(field->name))
                return false;
        }
        wholeKey = parts.size() == fields.size();
        return true;
    };
    if (currentTag_ != nullptr && serves(*currentTag_)) return currentTag_;
    for (int n = 1;; ++n) {
        IndexTag* tag = TagByOrdinal(n);
        if (tag == nullptr) return nullptr;
        if (serves(*tag)) return tag;
    }
}

std::optional<bool> DbfHandler::LocateBySeek(const std::vector<int>& fields,
                                             const std::vector<std::string>& values, bool partial) {
    const std::int32_t before = CurrentRecord();
    if (before < 1 || before > RecordCount() || Eof() || Bof()) return std::nullopt;
    bool wholeKey = false;
    IndexTag* tag = TagForLocate(fields, wholeKey);
    if (tag == nullptr) return std::nullopt;
    std::string keyText;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string value = values[i];
        while (!value.empty() && value.back() == ' ') value.pop_back();
        const auto width = static_cast<std::size_t>(FieldLength(fields[i]));
        // A value longer than its field matches no record; the scan says so.
        if (value.size() > width) return std::nullopt;
        if (i + 1 < fields.size() || !partial) value.resize(width, ' ');
        keyText += value;
    }
    const std::string previous = CurrentTagName();
    const bool exact = ExactMatch();
    bool found = false;
    try {
        if (tag != currentTag_) SelectTag(tag->Name(), true);
        SetExactMatch(!partial && wholeKey);
        found = SeekKey(keyText);
    } catch (...) {
        SetExactMatch(exact);
        SelectTag(previous, true);
        GoTo(before);
        throw;
    }
    SetExactMatch(exact);
    const std::int32_t match = found ? CurrentRecord() : before;
    if (CurrentTagName() != previous) SelectTag(previous, true);
    GoTo(match);
    SyncTag();
    return found;
}

// ---------------------------------------------------------------- read-ahead window

void DbfHandler::SetReadAhead(bool on) {
    if (on && !readAheadAllowed_) return;
    readAheadOn_ = on;
    EmptyWindow();
    if (on && RecordLength() > 0) {
        const std::size_t record = static_cast<std::size_t>(RecordLength());
        const std::size_t size = std::max(record, kReadAheadBytes / record * record);
        if (window_.size() != size) window_.assign(size, 0);
    }
}

void DbfHandler::SetReadAheadAllowed(bool allowed) {
    readAheadAllowed_ = allowed;
    if (!allowed) {
        readAheadOn_ = false;
        EmptyWindow();
    }
}

std::size_t DbfHandler::DiskRead(std::uint64_t offset, void* buffer, std::size_t count) {
    const bool windowed = readAheadOn_ && !window_.empty() &&
                          offset >= static_cast<std::uint64_t>(HeaderLength()) &&
                          count <= window_.size();
    if (!windowed) return DbfFields::DiskRead(offset, buffer, count);
    if (FreshReadWanted()) {
        std::size_t got = DbfFields::DiskRead(offset, buffer, count);
        // Keep the window in step with what the disk just said.
        if (got == count && offset >= windowStart_ && offset + count <= windowEnd_) {
            std::memcpy(window_.data() + (offset - windowStart_), buffer, count);
        }
        return got;
    }
    if (offset < windowStart_ || offset + count > windowEnd_) {
        // The window never reaches past the records known to be whole: bytes beyond the
        // last counted record may belong to a write still under way elsewhere.
        const std::uint64_t known = RecordOffset(RecordCount() + 1);
        if (offset + count > known) return DbfFields::DiskRead(offset, buffer, count);
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(window_.size(), known - offset));
        const std::size_t got = DbfFields::DiskRead(offset, window_.data(), want);
        windowStart_ = offset;
        windowEnd_ = offset + got;
        if (got < count) {
            std::memcpy(buffer, window_.data(), got);
            EmptyWindow();
            SetLastError(err::ShortRead);
            return got;
        }
    }
    std::memcpy(buffer, window_.data() + (offset - windowStart_), count);
    SetLastError(0);
    return count;
}

void DbfHandler::DiskWrite(std::uint64_t offset, const void* buffer, std::size_t count) {
    DbfFields::DiskWrite(offset, buffer, count);
    if (windowEnd_ > windowStart_ && offset < windowEnd_ && offset + count > windowStart_) {
        const std::uint64_t from = std::max(offset, windowStart_);
        const std::uint64_t to = std::min<std::uint64_t>(offset + count, windowEnd_);
        std::memcpy(window_.data() + (from - windowStart_),
                    static_cast<const std::uint8_t*>(buffer) + (from - offset), to - from);
    }
}

bool DbfHandler::DiskRename(const std::string& newName) {
    EmptyWindow();
    return DbfFields::DiskRename(newName);
}

bool DbfHandler::DiskClose() {
    EmptyWindow();
    return DbfFields::DiskClose();
}

void DbfHandler::DiskTruncate(std::uint64_t newEnd) {
    EmptyWindow();
    DbfFields::DiskTruncate(newEnd);
}

}  // namespace xbase
