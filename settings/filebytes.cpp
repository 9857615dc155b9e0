#include "settings/filebytes.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace dovi {

namespace {

// The size of a large page on x86-64 and most other systems; from this size on a buffer gets
// memory of its own.
constexpr std::size_t kLargePage = std::size_t{2} << 20;

}  // namespace

FileBytes::FileBytes() = default;

FileBytes::FileBytes(std::string text) : text_(std::make_unique<std::string>(std::move(text)))
{
    data_ = text_->data();
    size_ = capacity_ = text_->size();
}

FileBytes::~FileBytes() { release(); }

FileBytes::FileBytes(FileBytes&& other) noexcept
    : text_(std::move(other.text_)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      mapping_(std::exchange(other.mapping_, nullptr)),
      mappingSize_(std::exchange(other.mappingSize_, 0)),
      small_(std::move(other.small_))
{
}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept
{
    if (this != &other) {
        release();
        text_ = std::move(other.text_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        mapping_ = std::exchange(other.mapping_, nullptr);
        mappingSize_ = std::exchange(other.mappingSize_, 0);
        small_ = std::move(other.small_);
    }
    return *this;
}

void FileBytes::release()
{
    if (mapping_)
        ::munmap(mapping_, mappingSize_);
    mapping_ = nullptr;
    mappingSize_ = 0;
    small_.reset();
    text_.reset();
    data_ = nullptr;
    size_ = capacity_ = 0;
}

void FileBytes::reserve(std::size_t capacity)
{
    if (capacity <= capacity_)
        return;
    FileBytes grown;
    if (capacity < kLargePage) {
        grown.small_.reset(new char[capacity]);  // not value-initialised: no zero-filling
        grown.data_ = grown.small_.get();
    } else {
        // Whole large pages, aligned to one: map one more and give back what lies outside.
        const std::size_t length = (capacity + kLargePage - 1) / kLargePage * kLargePage;
        void* const mapped = ::mmap(nullptr, length + kLargePage, PROT_READ | PROT_WRITE,
                                    MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            throw std::bad_alloc();
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned = (start + kLargePage - 1) & ~(std::uintptr_t{kLargePage} - 1);
        if (aligned > start)
            ::munmap(mapped, aligned - start);
        if (const std::size_t tail = start + length + kLargePage - (aligned + length); tail > 0)
            ::munmap(reinterpret_cast<void*>(aligned + length), tail);
        grown.mapping_ = reinterpret_cast<void*>(aligned);
        grown.mappingSize_ = length;
        // Only advice: where the system gives no large pages, the buffer works with small ones.
        ::madvise(grown.mapping_, length, MADV_HUGEPAGE);
        grown.data_ = static_cast<char*>(grown.mapping_);
        capacity = length;
    }
    grown.capacity_ = capacity;
    if (size_ > 0)
        std::memcpy(grown.data_, data_, size_);
    grown.size_ = size_;
    *this = std::move(grown);
}

void FileBytes::resize(std::size_t size) { size_ = std::min(size, capacity_); }

}  // namespace dovi
