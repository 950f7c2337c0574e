// Pages of an index file kept in memory as read or written, so that repeated seeks down
// the same levels read no file: the owner keeps it true to the file (each page it writes
// goes through Keep, or the file's writes drop what they touch: IndexFile's WatchWrites)
// and clears it when another user changed the file.
//
// An open-addressing table of page places (linear probing, removed slots marked): a
// lookup costs one probe of a flat array and the page itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace xbase {

class PageCache {
public:
    // Pages of `pageSize` bytes that start at multiples of `unit` bytes (the page size when
    // 0); at most `capacity` of them (beyond that the pages kept are dropped and kept anew).
    PageCache(std::size_t pageSize, std::size_t capacity, std::size_t unit = 0)
        : pageSize_(pageSize), capacity_(capacity), unit_(unit == 0 ? pageSize : unit) {}

    std::size_t PageSize() const { return pageSize_; }
    // Whether `pages` more pages can be kept without dropping any.
    bool HasRoom(std::size_t pages) const { return count_ + pages <= capacity_; }
    // Keeps the pages of a run read at byte `first` (`count` bytes; a page cut short at the
    // end is left out) that are not kept yet.
    void KeepRun(std::uint64_t first, const std::uint8_t* data, std::size_t count) {
        for (std::size_t at = 0; at + pageSize_ <= count; at += pageSize_) {
            const auto place = static_cast<std::int64_t>(first + at);
            if (Find(place) == nullptr) Keep(place, data + at);
        }
    }
    // The page at `place`, nullptr when not kept. Valid until the next Keep or Forget.
    const std::uint8_t* Find(std::int64_t place) const {
        const Slot* slot = Lookup(place);
        return slot == nullptr ? nullptr : slot->data.get() + 1;
    }
    // Keeps a copy of the page at `place` (not checked).
    void Keep(std::int64_t place, const std::uint8_t* data) {
        Slot* slot = Lookup(place);
        if (slot == nullptr) {
            if (count_ >= capacity_) Clear();
            if ((used_ + 1) * 2 > slots_.size()) Rehash();
            slot = &slots_[Home(place)];
            while (slot->place != kEmpty && slot->place != kRemoved) slot = Next(slot);
            if (slot->place == kEmpty) ++used_;
            slot->place = place;
            if (!slot->data) slot->data = std::make_unique<std::uint8_t[]>(pageSize_ + 1);
            ++count_;
        }
        slot->data[0] = 0;
        std::memcpy(slot->data.get() + 1, data, pageSize_);
    }
    // A byte the owner keeps with the page `page` (a pointer Find gave), 0 when the page
    // is kept: what the owner learnt from the page (that it is sound, say), so that it
    // need not look through it again. It lies just before the page, beside its first bytes.
    static std::uint8_t Mark(const std::uint8_t* page) { return page[-1]; }
    static void SetMark(const std::uint8_t* page, std::uint8_t mark) {
        const_cast<std::uint8_t*>(page)[-1] = mark;
    }
    // Forgets every page that overlaps bytes [offset, offset + count) (all of them for a
    // write of many pages).
    void Forget(std::uint64_t offset, std::size_t count) {
        if (count_ == 0 || count == 0) return;
        if (count > kManyPages * pageSize_) {
            Clear();
            return;
        }
        const std::uint64_t reach = pageSize_ - 1;
        std::uint64_t first = offset > reach ? (offset - reach) / unit_ * unit_ : 0;
        if (first + reach < offset) first += unit_;
        for (std::uint64_t place = first; place < offset + count; place += unit_) {
            if (Slot* slot = Lookup(static_cast<std::int64_t>(place))) {
                slot->place = kRemoved;
                --count_;
            }
        }
    }
    void Clear() {
        slots_.clear();
        count_ = used_ = 0;
    }

private:
    struct Slot {
        std::int64_t place = kEmpty;
        std::unique_ptr<std::uint8_t[]> data;  // the owner's mark, then pageSize_ bytes
    };
    static constexpr std::int64_t kEmpty = -1;
    static constexpr std::int64_t kRemoved = -2;
    static constexpr std::size_t kManyPages = 16;

    std::size_t Home(std::int64_t place) const {
        const std::uint64_t spread =
            static_cast<std::uint64_t>(place) / unit_ * 0x9E3779B97F4A7C15ull;
        return static_cast<std::size_t>(spread >> 20) & (slots_.size() - 1);
    }
    Slot* Next(Slot* slot) {
        return slot + 1 == slots_.data() + slots_.size() ? slots_.data() : slot + 1;
    }
    const Slot* Lookup(std::int64_t place) const {
        if (count_ == 0) return nullptr;
        std::size_t i = Home(place);
        while (slots_[i].place != kEmpty) {
            if (slots_[i].place == place) return &slots_[i];
            i = (i + 1) & (slots_.size() - 1);
        }
        return nullptr;
    }
    Slot* Lookup(std::int64_t place) {
        return const_cast<Slot*>(static_cast<const PageCache*>(this)->Lookup(place));
    }
    // Lays the pages kept into a table at least four times their count (removed slots go).
    void Rehash() {
        std::size_t size = 64;
        while (size < 4 * (count_ + 1)) size *= 2;
        std::vector<Slot> old = std::move(slots_);
        slots_ = std::vector<Slot>(size);
        for (Slot& from : old) {
            if (from.place < 0) continue;
            Slot* to = &slots_[Home(from.place)];
            while (to->place != kEmpty) to = Next(to);
            *to = std::move(from);
        }
        used_ = count_;
    }

    std::size_t pageSize_;
    std::size_t capacity_;
    std::size_t unit_;
    std::vector<Slot> slots_;  // a power of two in size, never more than half used
    std::size_t count_ = 0;    // pages kept
    std::size_t used_ = 0;     // slots not empty (pages kept and removed slots)
};

}  // namespace xbase
