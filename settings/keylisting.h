// Every key of one section with its value, as a read gives them, decoded into one buffer: a
// section of tens of thousands of keys costs a few allocations, not two for each key.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dovi {

class KeyListing {
public:
    // How many keys; name(i) and value(i) for i in [0, size()), in the order of the file. The views
    // stay valid while the listing lives and is not changed.
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    std::string_view name(std::size_t i) const { return view(entries_[i].name, entries_[i].nameSize); }
    std::string_view value(std::size_t i) const { return view(entries_[i].value, entries_[i].valueSize); }

    // Drops the keys for which drop(name, value) is true, keeping the order of the others.
    template <typename Drop>
    void eraseIf(Drop drop)
    {
        std::erase_if(entries_, [&](const Entry& entry) {
            return drop(view(entry.name, entry.nameSize), view(entry.value, entry.valueSize));
        });
    }

    // Appends a key with its value (both UTF-8).
    void add(std::string_view name, std::string_view value)
    {
        const std::size_t at = text_.size();
        text_.append(name).append(value);
        entries_.push_back({at, name.size(), at + name.size(), value.size()});
    }

private:
    friend class IniText;
    struct Entry {
        std::size_t name, nameSize, value, valueSize;  // offsets into text_
    };
    std::string_view view(std::size_t at, std::size_t size) const { return std::string_view(text_).substr(at, size); }

    std::string text_;
    std::vector<Entry> entries_;
};

}  // namespace dovi
