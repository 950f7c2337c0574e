#include "xbase/index/cdx/CdxTag.h"

#include <cstring>

#include "xbase/file/EngineError.h"
#include "xbase/index/cdx/CdxKey.h"

namespace xbase::cdx {

CdxTag::CdxTag(CdxPageStore& store, std::string name, std::uint32_t headerOffset,
               const CdxHeader& header, char keyType)
    : name_(std::move(name)),
      headerOffset_(headerOffset),
      header_(header),
      keyType_(keyType),
      tree_(store, header.root, header.keyLength, PadFor(keyType)) {}

std::uint32_t CdxTag::Settle() {
    current_ = at_.Valid() ? tree_.RecordAt(at_) : 0;
    return current_;
}

std::uint32_t CdxTag::First() {
    at_ = Descending() ? tree_.Last() : tree_.First();
    return Settle();
}

std::uint32_t CdxTag::Last() {
    at_ = Descending() ? tree_.First() : tree_.Last();
    return Settle();
}

std::uint32_t CdxTag::Next() {
    if (at_.Valid()) Descending() ? tree_.Prior(at_) : tree_.Next(at_);
    return Settle();
}

std::uint32_t CdxTag::Prior() {
    if (at_.Valid()) Descending() ? tree_.Next(at_) : tree_.Prior(at_);
    return Settle();
}

const std::uint8_t* CdxTag::CurrentKey() { return at_.Valid() ? tree_.KeyAt(at_) : nullptr; }

bool CdxTag::CurrentMatches(const std::uint8_t* key, std::size_t keyBytes) {
    return at_.Valid() && std::memcmp(tree_.KeyAt(at_), key, keyBytes) == 0;
}

CdxSeekResult CdxTag::Seek(const std::uint8_t* key, std::size_t keyBytes, bool soft, bool last) {
    if (keyBytes > KeyLength()) keyBytes = KeyLength();
    // In stored (ascending) order: lo is the first key not below the search key, hi the
    // first key above it, before the key just before hi.
    const CdxPosition lo = tree_.LowerBound(key, keyBytes, CdxTree::kBeforeEqual);
    const bool match = lo.Valid() && std::memcmp(tree_.KeyAt(lo), key, keyBytes) == 0;
    if (!last && !Descending()) {
        at_ = match || soft ? lo : CdxPosition{};
        return {match, Settle()};
    }
    const CdxPosition hi = match ? tree_.LowerBound(key, keyBytes, CdxTree::kAfterEqual) : lo;
    CdxPosition before = hi;
    if (before.Valid()) {
        if (!tree_.Prior(before)) before = {};
    } else {
        before = tree_.Last();
    }
    if (!Descending()) {
        // The first equal key; the last one with `last`, or when none is equal the key
        // just below (the key above when nothing is below).
        at_ = !last ? lo : before.Valid() ? before : hi;
    } else if (!last) {
        // Descending order starts with the highest equal key and goes on below it.
        at_ = before;
    } else {
        at_ = match || lo.Valid() ? lo : before;
    }
    CdxSeekResult result;
    result.found = CurrentMatches(key, keyBytes);
    if (!result.found && !soft) at_ = {};
    result.record = Settle();
    return result;
}

bool CdxTag::Locate(const std::uint8_t* key, std::uint32_t record) {
    at_ = tree_.LowerBound(key, KeyLength(), record);
    const bool hit = at_.Valid() && tree_.RecordAt(at_) == record &&
                     std::memcmp(tree_.KeyAt(at_), key, KeyLength()) == 0;
    if (!hit) at_ = {};
    Settle();
    return hit;
}

std::string CdxTag::ReadOnlyMessage() const {
    return "Index tag " + name_ + " uses the GENERAL collation and can only be read";
}

void CdxTag::RefuseIfReadOnly() const {
    if (ReadOnly()) throw XBaseError(ReadOnlyMessage());
}

bool CdxTag::AddKey(const std::uint8_t* key, std::uint32_t record, std::uint32_t maxRecord) {
    RefuseIfReadOnly();
    if (Unique()) {
        const CdxPosition at = tree_.LowerBound(key, KeyLength(), CdxTree::kBeforeEqual);
        if (at.Valid() && std::memcmp(tree_.KeyAt(at), key, KeyLength()) == 0) return false;
    }
    tree_.Insert(key, record, maxRecord);
    at_ = {};
    current_ = 0;
    return true;
}

bool CdxTag::RemoveKey(const std::uint8_t* key, std::uint32_t record) {
    RefuseIfReadOnly();
    at_ = {};
    current_ = 0;
    return tree_.Remove(key, record);
}

}  // namespace xbase::cdx
