// The stream through which an XBaseDataSet's memo, binary and general fields are read and
// written: the field's contents for the active record (memo text translated from the OEM
// code page), read, written and sought like a file. Close() after a change assigns the
// new contents to the field; the memo file is written when the record is posted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/BlobStream.h"
#include "data/DataSetTypes.h"

namespace data {
class Field;
}

namespace xbase {

class XBaseDataSet;

class BlobStream : public data::BlobStream {
  public:
    // Write mode starts empty (and counts as a change); the other modes load the field.
    // The dataset has checked a writing mode against its state and the field.
    BlobStream(XBaseDataSet& dataSet, data::Field& field, data::BlobStreamMode mode);

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, data::SeekOrigin origin) override;
    std::int64_t Size() const override { return static_cast<std::int64_t>(text_.size()); }
    // Assigns a changed text to the field while the dataset is in edit or insert state.
    void Close() override;

    bool Modified() const { return modified_; }

  private:
    XBaseDataSet& dataSet_;
    data::Field& field_;
    data::BlobStreamMode mode_;
    std::string text_;
    std::size_t position_ = 0;
    bool modified_ = false;
};

}  // namespace xbase
