// Large working memory of a bulk operation (the keys of an index build): whole pages taken
// from the system, backed by large pages where the system offers them, so that filling
// many megabytes costs a few page faults instead of one per 4 KB.
#pragma once

#include <cstddef>
#include <new>

namespace platform {

class LargeBuffer {
public:
    LargeBuffer() = default;
    // At least `bytes` bytes, uninitialised (zeros in practice); std::bad_alloc when the
    // system has no room.
    explicit LargeBuffer(std::size_t bytes);
    ~LargeBuffer();
    LargeBuffer(LargeBuffer&& other) noexcept;
    LargeBuffer& operator=(LargeBuffer&& other) noexcept;
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;

    void* Data() const { return data_; }
    std::size_t Size() const { return size_; }

private:
    void Release();

    void* data_ = nullptr;
    std::size_t size_ = 0;    // usable bytes
    void* mapped_ = nullptr;  // what the system gave, and its length
    std::size_t mappedSize_ = 0;
};

// `count` elements of a trivially copyable T in a LargeBuffer.
template <class T>
class LargeArray {
public:
    LargeArray() = default;
    explicit LargeArray(std::size_t count) : buffer_(count * sizeof(T)), count_(count) {}
    T* Data() const { return static_cast<T*>(buffer_.Data()); }
    T& operator[](std::size_t i) const { return Data()[i]; }
    std::size_t Count() const { return count_; }

private:
    LargeBuffer buffer_;
    std::size_t count_ = 0;
};

}  // namespace platform
