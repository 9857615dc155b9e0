// Every key of one section with its value, as a read gives them, decoded into one buffer: a
// section of tens of thousands of keys costs a few allocations, not two for each key. Copies
// share the buffer, so a listing can be handed out many times for the cost of one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/filebytes.h"

namespace dovi {

class KeyListing {
public:
    KeyListing() : data_(std::make_shared<Data>()) {}

    // How many keys; name(i) and value(i) for i in [0, size()), in the order of the file. The views
    // stay valid while the listing or a copy of it lives.
    std::size_t size() const { return kept_ ? kept_->size() : data_->entries.size(); }
    bool empty() const { return size() == 0; }
    std::string_view name(std::size_t i) const { return view(entry(i).name, entry(i).nameSize); }
    std::string_view value(std::size_t i) const { return view(entry(i).value, entry(i).valueSize); }

    // Drops the keys for which drop(name, value) is true, keeping the order of the others. The
    // buffer stays shared: this listing keeps the indexes of the others, if any were dropped.
    template <typename Drop>
    void eraseIf(Drop drop)
    {
        std::size_t first = 0;
        while (first < size() && !drop(name(first), value(first)))
            ++first;
        if (first == size())
            return;  // nothing to drop: no list of the kept ones
        std::vector<std::uint32_t> kept;
        kept.reserve(size() - 1);
        for (std::size_t i = 0; i < size(); ++i)
            if (i < first || (i > first && !drop(name(i), value(i))))
                kept.push_back(index(i));
        kept_ = std::move(kept);
    }

    // Appends a key with its value (both UTF-8), while the listing is being made.
    void add(std::string_view name, std::string_view value)
    {
        const std::size_t at = data_->text.size();
        char* to = room(name.size() + value.size());
        std::memcpy(to, name.data(), name.size());
        std::memcpy(to + name.size(), value.data(), value.size());
        data_->text.resize(at + name.size() + value.size());
        data_->entries.push_back(entryAt(at, name.size(), value.size()));
    }

private:
    friend class IniText;
    // Offsets into the text, which stays far below 4 GB (a settings file is at most 256 MB, and a
    // listing at most twice its size): 16 bytes for each of tens of thousands of keys.
    struct Entry {
        std::uint32_t name, nameSize, value, valueSize;
    };
    static Entry entryAt(std::size_t at, std::size_t nameSize, std::size_t valueSize)
    {
        return {static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(nameSize),
                static_cast<std::uint32_t>(at + nameSize), static_cast<std::uint32_t>(valueSize)};
    }
    struct Data {
        FileBytes text;  // a large listing in large pages, as a large file is read
        std::vector<Entry> entries;
    };
    // Room for size more bytes after the text, which grows by doubling.
    char* room(std::size_t size)
    {
        FileBytes& text = data_->text;
        if (text.size() + size > text.capacity())
            text.reserve(std::max(text.size() + size, 2 * text.capacity()));
        return text.data() + text.size();
    }
    const Entry& entry(std::size_t i) const { return data_->entries[index(i)]; }
    std::string_view view(std::size_t at, std::size_t size) const
    {
        return data_->text.view().substr(at, size);
    }
    std::uint32_t index(std::size_t i) const { return kept_ ? (*kept_)[i] : static_cast<std::uint32_t>(i); }

    std::shared_ptr<Data> data_;
    std::optional<std::vector<std::uint32_t>> kept_;  // the entries shown, when some were dropped
};

}  // namespace dovi
