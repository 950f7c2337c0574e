// Large buffers from anonymous mmap(), aligned to 2 MB and marked for transparent huge
// pages (madvise) where the system has them; small ones from operator new.
#include "platform/LargeBuffer.h"

#include <sys/mman.h>

#include <cstdint>
#include <utility>

namespace platform {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

LargeBuffer::LargeBuffer(std::size_t bytes) : size_(bytes) {
    if (bytes == 0) return;
    if (bytes < kHugePage) {
        data_ = ::operator new(bytes);
        return;
    }
    const std::size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* mapped = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    // Trim to a 2 MB boundary at both ends, so that whole large pages back it.
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start) ::munmap(mapped, aligned - start);
    const std::size_t tail = (start + length + kHugePage) - (aligned + length);
    if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + length), tail);
    mapped_ = reinterpret_cast<void*>(aligned);
    mappedSize_ = length;
#ifdef MADV_HUGEPAGE
    ::madvise(mapped_, mappedSize_, MADV_HUGEPAGE);  // a hint: refused where unsupported
#endif
    data_ = mapped_;
}

LargeBuffer::~LargeBuffer() { Release(); }

LargeBuffer::LargeBuffer(LargeBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, nullptr)),
      mappedSize_(std::exchange(other.mappedSize_, 0)) {}

LargeBuffer& LargeBuffer::operator=(LargeBuffer&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mapped_ = std::exchange(other.mapped_, nullptr);
        mappedSize_ = std::exchange(other.mappedSize_, 0);
    }
    return *this;
}

void LargeBuffer::Release() {
    if (mapped_ != nullptr) {
        ::munmap(mapped_, mappedSize_);
    } else if (data_ != nullptr) {
        ::operator delete(data_);
    }
    data_ = mapped_ = nullptr;
    size_ = mappedSize_ = 0;
}

}  // namespace platform
