// The build's sorter of a format whose own sorter lays the sorted keys out in pages itself
// (MdxSorter, NdxSorter, NtxSorter): the tag's build hands it every key, then the format's
// WriteSortedKeys takes the format's sorter from it. Next is never asked for.
#pragma once

#include <memory>
#include <stdexcept>
#include <utility>

#include "xbase/index/IndexSorter.h"

namespace xbase {

template <class Sorter>
class LayingSorter : public IndexSorter {
public:
    template <class... Args>
    explicit LayingSorter(Args&&... args) : sorter_(std::forward<Args>(args)...) {}

    // Text keys go to AddText, numbers and dates to AddNumber (formats whose keys are all
    // texts have none).
    void Add(IndexKey key, std::uint32_t recNo) override {
        if constexpr (requires(Sorter & s) { s.AddNumber(0.0, recNo); }) {
            if (!key.IsText()) {
                sorter_.AddNumber(key.number, recNo);
                return;
            }
        } else {
            if (!key.IsText()) throw std::logic_error("this tag's keys are texts");
        }
        sorter_.AddText(key.text, recNo);
    }
    bool AddFieldKey(const FieldDescriptor& field, const std::uint8_t* record,
                     std::uint32_t recNo) override {
        if constexpr (requires(Sorter & s) { s.AddFieldKey(field, record, recNo); }) {
            return sorter_.AddFieldKey(field, record, recNo);
        } else {
            return false;
        }
    }
    void Finish() override {}
    bool Next(IndexEntry&) override {
        throw std::logic_error("this sorter lays its pages out itself");
    }
    std::size_t Count() const override { return sorter_.Count(); }
    Sorter& Own() { return sorter_; }

private:
    Sorter sorter_;
};

// The format's sorter of a build: `sorter` itself when it is one of the format's, else
// `copy` filled from it (a sorter made elsewhere delivers its entries in order).
template <class Sorter, class... Args>
Sorter& OwnSorter(IndexSorter& sorter, std::unique_ptr<LayingSorter<Sorter>>& copy,
                  Args&&... args) {
    if (auto* own = dynamic_cast<LayingSorter<Sorter>*>(&sorter)) return own->Own();
    copy = std::make_unique<LayingSorter<Sorter>>(std::forward<Args>(args)...);
    IndexEntry entry;
    while (sorter.Next(entry)) copy->Add(entry.key, entry.recNo);
    return copy->Own();
}

}  // namespace xbase
