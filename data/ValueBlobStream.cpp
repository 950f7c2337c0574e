#include "data/ValueBlobStream.h"

#include <algorithm>
#include <cstring>

#include "data/DataError.h"
#include "data/DataMessages.h"
#include "data/DataSet.h"

namespace data {

ValueBlobStream::ValueBlobStream(DataSet& dataSet, Field& field, BlobStreamMode mode,
                                 std::string initial)
    : dataSet_(dataSet), field_(field), mode_(mode), bytes_(std::move(initial)) {
    if (mode_ == bmWrite) {
        bytes_.clear();
        modified_ = true;
    }
}

std::size_t ValueBlobStream::Read(void* buffer, std::size_t count) {
    if (position_ >= bytes_.size()) return 0;
    std::size_t n = std::min(count, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

std::size_t ValueBlobStream::Write(const void* buffer, std::size_t count) {
    if (mode_ == bmRead) DatabaseError(msg::BlobNotOpenForWrite);
    bytes_.resize(position_);  // what followed the written part is dropped
    bytes_.append(static_cast<const char*>(buffer), count);
    position_ += count;
    modified_ = true;
    return count;
}

std::int64_t ValueBlobStream::Seek(std::int64_t offset, SeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == soCurrent) base = static_cast<std::int64_t>(position_);
    if (origin == soEnd) base = Size();
    std::int64_t target = std::max<std::int64_t>(0, base + offset);
    position_ = static_cast<std::size_t>(target);
    // Positions past the end are allowed; a later write fills the gap with zero bytes.
    return target;
}

void ValueBlobStream::Close() {
    if (!modified_) return;
    modified_ = false;
    Store(bytes_);
}

void ValueBlobStream::Store(const std::string& bytes) {
    FieldValue value;
    if (!bytes.empty()) value = BlobBytes{bytes};
    dataSet_.SetFieldData(field_, value);
}

}  // namespace data
