#include "data/BlobStream.h"

namespace data {

std::string BlobStream::ReadAll() {
    Seek(0, soBeginning);
    std::string bytes(static_cast<std::size_t>(Size()), '\0');
    bytes.resize(Read(bytes.data(), bytes.size()));
    return bytes;
}

void BlobStream::WriteAll(const std::string& bytes) {
    Seek(0, soBeginning);
    Write(bytes.data(), bytes.size());
}

}  // namespace data
