// The default blob stream: a copy of the field's bytes, read, written and sought like a
// file; closed after a change, it stores the bytes (by default as BlobBytes through the
// dataset's SetFieldData, null when empty). Write mode starts empty and counts as a change.
#pragma once

#include <string>

#include "data/BlobStream.h"

namespace data {

class DataSet;
class Field;

class ValueBlobStream : public BlobStream {
public:
    // The dataset has already checked the mode against its state and the field.
    ValueBlobStream(DataSet& dataSet, Field& field, BlobStreamMode mode, std::string initial);

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    void Close() override;

protected:
    DataSet& OwnerDataSet() const { return dataSet_; }
    Field& OwnerField() const { return field_; }
    // Stores the changed bytes; Close calls it once per change.
    virtual void Store(const std::string& bytes);

private:
    DataSet& dataSet_;
    Field& field_;
    BlobStreamMode mode_;
    std::string bytes_;
    std::size_t position_ = 0;
    bool modified_ = false;
};

}  // namespace data
