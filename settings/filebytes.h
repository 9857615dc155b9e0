// The bytes of a settings file held in memory: a buffer that a file is read into whole, or a text
// made in memory. Its bytes stay where they are when the buffer is moved, so views of them live
// as long as the buffer, wherever it goes.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace dovi {

class FileBytes {
public:
    // No bytes.
    FileBytes();
    // Takes text as the bytes (no copy).
    explicit FileBytes(std::string text);
    ~FileBytes();
    FileBytes(FileBytes&& other) noexcept;
    FileBytes& operator=(FileBytes&& other) noexcept;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    // Room for at least capacity bytes, to be filled through data(), keeping the first size()
    // bytes. The new room is not zero-filled: a read puts its bytes there anyway, and filling
    // several megabytes first costs about as much as the read. A large buffer is placed in memory
    // of its own, aligned for large pages, so that the system can back it with a few of those
    // instead of a fault for every 4 KB page (on a virtual machine that is most of what reading a
    // large file costs).
    void reserve(std::size_t capacity);
    char* data() { return data_; }
    std::size_t capacity() const { return capacity_; }

    // Sets how many of the bytes from data() hold the content (at most capacity()).
    void resize(std::size_t size);

    std::string_view view() const { return {data_, size_}; }
    std::size_t size() const { return size_; }

private:
    void release();

    std::unique_ptr<std::string> text_;  // the bytes when they came as a text
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    void* mapping_ = nullptr;   // a large buffer's own memory, else nullptr
    std::size_t mappingSize_ = 0;
    std::unique_ptr<char[]> small_;  // a small buffer
};

}  // namespace dovi
