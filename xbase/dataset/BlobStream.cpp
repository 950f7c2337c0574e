#include "xbase/dataset/BlobStream.h"

#include <algorithm>
#include <cstring>

#include "data/DataError.h"
#include "data/DataMessages.h"
#include "data/Field.h"
#include "xbase/dataset/XBaseDataSet.h"

namespace xbase {

BlobStream::BlobStream(XBaseDataSet& dataSet, data::Field& field, data::BlobStreamMode mode)
    : dataSet_(dataSet), field_(field), mode_(mode) {
    if (mode == data::bmWrite) {
        modified_ = true;
    } else {
        text_ = dataSet.ReadMemoField(field);
    }
}

std::size_t BlobStream::Read(void* buffer, std::size_t count) {
    if (position_ >= text_.size()) return 0;
    std::size_t n = std::min(count, text_.size() - position_);
    std::memcpy(buffer, text_.data() + position_, n);
    position_ += n;
    return n;
}

std::size_t BlobStream::Write(const void* buffer, std::size_t count) {
    if (mode_ == data::bmRead) data::DatabaseError(data::msg::BlobNotOpenForWrite);
    // The text ends after the written bytes; a gap before them is zero-filled.
    text_.resize(position_, '\0');
    text_.append(static_cast<const char*>(buffer), count);
    position_ += count;
    modified_ = true;
    return count;
}

std::int64_t BlobStream::Seek(std::int64_t offset, data::SeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == data::soCurrent) base = static_cast<std::int64_t>(position_);
    if (origin == data::soEnd) base = static_cast<std::int64_t>(text_.size());
    position_ = static_cast<std::size_t>(std::max<std::int64_t>(0, base + offset));
    return static_cast<std::int64_t>(position_);
}

void BlobStream::Close() {
    if (!modified_) return;
    modified_ = false;
    switch (dataSet_.State()) {
        case data::dsEdit:
        case data::dsInsert:
            dataSet_.SetFieldData(field_, data::BlobBytes{text_});
            break;
        default:
            break;
    }
}

}  // namespace xbase
