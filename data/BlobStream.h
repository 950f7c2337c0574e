// A stream over the bytes of one blob or memo field of the active row: read, write and
// seek like a file. Datasets create one through DataSet::CreateBlobStream.
//
// A stream opened for writing replaces the field's value when it is closed: Close() puts
// the bytes into the row and tells the dataset that the field changed. Call Close()
// explicitly; a stream destroyed without Close() discards what was written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/DataSetTypes.h"

namespace data {

enum SeekOrigin { soBeginning, soCurrent, soEnd };

class BlobStream {
public:
    virtual ~BlobStream() = default;

    // Copies up to count bytes from the position; returns how many were copied.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes count bytes at the position; the content then ends after them.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Moves the position; returns the new position. A position before the start is 0.
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;
    virtual std::int64_t Size() const = 0;
    // Stores a modified stream's content in the field. Does nothing when unmodified.
    virtual void Close() = 0;

    // Conveniences over Read/Write for the whole content.
    std::string ReadAll();
    void WriteAll(const std::string& bytes);
};

}  // namespace data
