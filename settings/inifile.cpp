#include "settings/inifile.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace dovi {

namespace {

constexpr std::size_t npos = std::string::npos;

bool isBlank(unsigned unit) { return unit == ' ' || unit == '\t'; }

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// [begin, end) of a stored value as a read gives it: the blanks around it dropped, then one pair
// of matching double or single quotes around all of it. unitAt(pos) is the code unit at byte pos,
// unit the size of one unit in bytes.
template <typename UnitAt>
std::pair<std::size_t, std::size_t> valueSpan(std::size_t begin, std::size_t end, std::size_t unit, UnitAt unitAt)
{
    while (begin < end && isBlank(unitAt(begin)))
        begin += unit;
    begin = std::min(begin, end);
    while (end >= begin + unit && isBlank(unitAt(end - unit)))
        end -= unit;
    if (end >= begin + 2 * unit) {
        const unsigned open = unitAt(begin);
        if ((open == '"' || open == '\'') && unitAt(end - unit) == open) {
            begin += unit;
            end -= unit;
        }
    }
    return {begin, end};
}

// Names match without regard to ASCII letter case; other letters (full-width ones included)
// must match exactly.
std::string foldedName(std::string_view name)
{
    std::string folded(trimmed(name));
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

std::string quoted(char c)
{
    return std::string("the character \"") + c + "\" (" + codepage::codePointName(static_cast<unsigned char>(c)) + ")";
}

std::string_view partName(WritePart part)
{
    switch (part) {
    case WritePart::SectionName: return "section name";
    case WritePart::KeyName: return "key name";
    case WritePart::Value: return "value";
    case WritePart::None: break;
    }
    return "text";
}

// Why text cannot serve as part, or a result with reason None.
WriteResult problemWith(WritePart part, std::string_view text, std::string_view forbidden)
{
    const std::string subject = "the " + std::string(partName(part));
    if (!codepage::isValidUtf8(text))
        return writeFailure(WriteFailure::InvalidText, subject + " is not valid UTF-8 text", part);
    for (char c : text) {
        if (c == '\r' || c == '\n')
            return writeFailure(WriteFailure::LineBreak,
                                subject + " cannot contain a line break (" +
                                    codepage::codePointName(static_cast<unsigned char>(c)) + ")",
                                part, std::string(1, c));
        if (c == '\0')
            return writeFailure(WriteFailure::NulCharacter, subject + " cannot contain a NUL character (U+0000)",
                                part, std::string(1, c));
        if (forbidden.find(c) != npos)
            return writeFailure(WriteFailure::ForbiddenCharacter, subject + " cannot contain " + quoted(c), part,
                                std::string(1, c));
    }
    return writeDone();
}

bool refused(const WriteResult& result) { return result.reason != WriteFailure::None; }

// c as UTF-8 (c is a code point taken from valid UTF-8 text).
std::string utf8Of(char32_t c)
{
    char text[U8_MAX_LENGTH];
    int32_t length = 0;
    U8_APPEND_UNSAFE(text, length, static_cast<UChar32>(c));
    return std::string(text, static_cast<std::size_t>(length));
}

// Why keyName (already trimmed) cannot name a key, or a result with reason None.
WriteResult keyNameProblem(std::string_view keyName)
{
    WriteResult problem = problemWith(WritePart::KeyName, keyName, "=");
    if (!refused(problem) && keyName.empty())
        problem = writeFailure(WriteFailure::EmptyName, "the key name is empty", WritePart::KeyName);
    if (!refused(problem) && (keyName.front() == ';' || keyName.front() == '['))
        problem = writeFailure(WriteFailure::ForbiddenCharacter,
                               "the key name cannot start with " + quoted(keyName.front()), WritePart::KeyName,
                               std::string(1, keyName.front()));
    return problem;
}

WriteResult unstorable(char32_t c, FileEncoding encoding, WritePart part)
{
    return writeFailure(WriteFailure::Unstorable,
                        "the character \"" + utf8Of(c) + "\" (" + codepage::codePointName(c) +
                            ") cannot be stored in this " + std::string(codepage::displayName(encoding)) + " file",
                        part, utf8Of(c));
}

IniEdit refusal(WriteResult why) { return {false, {}, std::move(why)}; }

}  // namespace

IniText::IniText(std::string bytes)
    : bytes_(std::move(bytes)),
      encoding_(codepage::detect(bytes_)),
      unit_(codepage::unitSize(encoding_)),
      codec_(std::make_unique<codepage::Codec>(encoding_))
{
    parse();
}

IniText::~IniText() = default;
IniText::IniText(IniText&&) noexcept = default;
IniText& IniText::operator=(IniText&&) noexcept = default;

unsigned IniText::unitAt(std::size_t pos) const
{
    const auto byte = [&](std::size_t k) { return unsigned{static_cast<unsigned char>(bytes_[k])}; };
    if (unit_ == 1)
        return byte(pos);
    if (pos + 1 >= bytes_.size())
        return 0xFFFF;  // an odd last byte is no character of the layout
    return encoding_ == FileEncoding::Utf16Le ? byte(pos) | byte(pos + 1) << 8 : byte(pos) << 8 | byte(pos + 1);
}

std::size_t IniText::skipBlanks(std::size_t pos, std::size_t end) const
{
    while (pos < end && isBlank(unitAt(pos)))
        pos += unit_;
    return std::min(pos, end);
}

std::size_t IniText::trimEnd(std::size_t begin, std::size_t end) const
{
    while (end >= begin + unit_ && isBlank(unitAt(end - unit_)))
        end -= unit_;
    return end;
}

std::size_t IniText::find(unsigned unit, std::size_t pos, std::size_t end) const
{
    if (unit_ == 1) {
        const void* hit = pos < end ? std::memchr(bytes_.data() + pos, static_cast<int>(unit), end - pos) : nullptr;
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - bytes_.data()) : end;
    }
    for (; pos + 1 < end; pos += 2)
        if (unitAt(pos) == unit)
            return pos;
    return end;
}

std::size_t IniText::KeyIdHash::operator()(const KeyId& id) const
{
    return std::hash<std::string>{}(id.name) ^ (id.section * 0x9E3779B97F4A7C15ull);
}

void IniText::parse()
{
    const std::size_t size = bytes_.size();
    std::size_t pos = codepage::byteOrderMark(encoding_).size();
    std::size_t nextLf = 0;
    bool lfKnown = false;  // nextLf is the first LF at or after pos (or size)
    std::size_t current = npos;
    // One slot per line at most: the key table then never grows (and rehashes) while it fills.
    std::size_t lines = 1;
    for (std::size_t lf = find('\n', pos, size); lf < size; lf = find('\n', lf + unit_, size))
        ++lines;
    keys_.reserve(lines);
    while (pos < size) {
        Line line{pos, size, size};
        if (!lfKnown || nextLf < pos) {
            nextLf = find('\n', pos, size);
            lfKnown = true;
        }
        const std::size_t cr = find('\r', pos, nextLf);
        if (cr < nextLf) {
            line.end = cr;
            line.next = cr + unit_ < size && unitAt(cr + unit_) == '\n' ? cr + 2 * unit_ : cr + unit_;
        } else if (nextLf < size) {
            line.end = nextLf;
            line.next = nextLf + unit_;
        }
        line.next = std::min(line.next, size);
        if (lineEnd_.empty() && line.next > line.end)
            lineEnd_ = bytes_.substr(line.end, line.next - line.end);
        parseLine(line, current);
        lastLine_ = line;
        pos = line.next;
    }
    if (lineEnd_.empty())
        lineEnd_ = *codec_->encode("\r\n");
}

void IniText::parseLine(const Line& line, std::size_t& current)
{
    const std::size_t start = skipBlanks(line.begin, line.end);
    if (start >= line.end)
        return;
    const unsigned first = unitAt(start);
    if (first == ';')
        return;
    if (first == '[') {
        // Decoded before looking for "]": in Shift-JIS its byte can be the second half of a character.
        const std::size_t nameBegin = start + unit_;
        const std::string text = codec_->decode(std::string_view(bytes_).substr(nameBegin, line.end - nameBegin));
        const std::size_t close = text.find(']');
        if (close == npos)
            return;
        const std::string name = foldedName(std::string_view(text).substr(0, close));
        const auto [it, added] = sectionIndex_.try_emplace(name, sections_.size());
        current = added ? it->second : npos;  // keys under a second copy of a section are not seen
        if (added)
            sections_.push_back({line, line});
        return;
    }
    const std::size_t equals = find('=', start, line.end);
    if (equals >= line.end || current == npos)
        return;
    sections_[current].lastKey = line;
    const std::size_t keyEnd = trimEnd(start, equals);
    if (keyEnd == start)
        return;
    std::string name = foldedName(codec_->decode(std::string_view(bytes_).substr(start, keyEnd - start)));
    keys_.try_emplace(KeyId{current, std::move(name)}, Key{line, equals + unit_});
}

const IniText::Section* IniText::findSection(std::string_view name, std::size_t* index) const
{
    // An empty name finds nothing, also where the file has a "[]" line: no write can name it.
    const std::string folded = foldedName(name);
    const auto it = folded.empty() ? sectionIndex_.end() : sectionIndex_.find(folded);
    if (it == sectionIndex_.end())
        return nullptr;
    if (index)
        *index = it->second;
    return &sections_[it->second];
}

const IniText::Key* IniText::findKey(std::string_view section, std::string_view key) const
{
    std::size_t index = 0;
    if (!findSection(section, &index))
        return nullptr;
    const auto it = keys_.find(KeyId{index, foldedName(key)});
    return it == keys_.end() ? nullptr : &it->second;
}

std::optional<std::string> IniText::value(std::string_view section, std::string_view key) const
{
    const Key* found = findKey(section, key);
    if (!found)
        return std::nullopt;
    const Line& line = found->line;
    const auto [begin, end] =
        valueSpan(std::min(found->valueBegin, line.end), line.end, unit_, [this](std::size_t pos) { return unitAt(pos); });
    const std::string_view raw = std::string_view(bytes_).substr(begin, end - begin);
    std::string text = codec_->decode(raw.substr(0, codepage::cutLength(raw, encoding_, kValueLimit)));
    text.resize(std::min(text.find('\0'), text.size()));
    return text;
}

std::string_view valueAsRead(std::string_view value)
{
    const auto [begin, end] =
        valueSpan(0, value.size(), 1, [value](std::size_t pos) { return unsigned{static_cast<unsigned char>(value[pos])}; });
    return value.substr(begin, end - begin);
}

IniEdit IniText::edit(std::string_view section, std::string_view key, std::optional<std::string_view> value) const
{
    const std::string_view sectionName = trimmed(section);
    const std::string_view keyName = trimmed(key);
    WriteResult problem = problemWith(WritePart::SectionName, sectionName, "]");
    if (!refused(problem) && sectionName.empty())
        problem = writeFailure(WriteFailure::EmptyName, "the section name is empty", WritePart::SectionName);
    if (!refused(problem))
        problem = keyNameProblem(keyName);
    if (!refused(problem) && value)
        problem = problemWith(WritePart::Value, *value, "");
    if (refused(problem))
        return refusal(std::move(problem));

    std::string encoded[3];
    const std::string_view parts[3] = {sectionName, keyName, value.value_or("")};
    constexpr WritePart partOf[3] = {WritePart::SectionName, WritePart::KeyName, WritePart::Value};
    for (int i = 0; i < 3; ++i) {
        char32_t bad = 0xFFFD;
        auto bytes = codec_->encode(parts[i], &bad);
        if (!bytes && !value)
            return {};  // a name the file cannot hold is in no line of it: nothing to delete
        if (!bytes)
            return refusal(unstorable(bad, encoding_, partOf[i]));
        encoded[i] = std::move(*bytes);
    }
    const std::string keyText = encoded[1] + *codec_->encode("=") + encoded[2];

    const Section* found = findSection(sectionName);
    const Key* entry = found ? findKey(sectionName, keyName) : nullptr;
    const std::string_view all = bytes_;
    if (!value) {
        if (!entry)
            return {};
        return {true, std::string(all.substr(0, entry->line.begin)).append(all.substr(entry->line.next)), {}};
    }
    if (entry) {
        const std::size_t end = entry->line.end;
        return {true, std::string(all.substr(0, entry->valueBegin)).append(encoded[2]).append(all.substr(end)), {}};
    }
    const bool lastLineOpen = lastLine_ && lastLine_->next == lastLine_->end;
    const bool addsAtEnd = !found || found->lastKey.next == bytes_.size();
    if (addsAtEnd && bytes_.size() % unit_ != 0)
        return refusal(writeFailure(WriteFailure::HalfUtf16Ending,
                                    "the settings file ends in half a UTF-16 character, so nothing can be added after it"));
    if (found) {
        const Line& after = found->lastKey;
        std::string text(all.substr(0, after.next));
        if (after.next == after.end)
            text += lineEnd_;
        // The new line ends as the line before it: the file's first line end may be a lone CR,
        // which would join an LF that starts the next line into one line end.
        const std::string_view end = after.next > after.end ? all.substr(after.end, after.next - after.end)
                                                            : std::string_view(lineEnd_);
        return {true, text.append(keyText).append(end).append(all.substr(after.next)), {}};
    }
    std::string text = bytes_;
    if (lastLineOpen)
        text += lineEnd_;
    text += *codec_->encode("[") + encoded[0] + *codec_->encode("]") + lineEnd_ + keyText + lineEnd_;
    return {true, std::move(text), {}};
}

IniEdit IniText::renameKey(std::string_view section, std::string_view fromKey, std::string_view toKey) const
{
    const std::string_view newName = trimmed(toKey);
    if (WriteResult problem = keyNameProblem(newName); refused(problem))
        return refusal(std::move(problem));
    const Key* from = findKey(section, fromKey);
    if (!from)
        return refusal(writeFailure(WriteFailure::KeyMissing, "the key " + std::string(trimmed(fromKey)) +
                                                                  " is not in section " + std::string(trimmed(section))));
    char32_t bad = 0xFFFD;
    const auto name = codec_->encode(newName, &bad);
    if (!name)
        return refusal(unstorable(bad, encoding_, WritePart::KeyName));
    const Key* to = findKey(section, newName);
    if (to == from)
        return {};

    const std::size_t nameBegin = skipBlanks(from->line.begin, from->line.end);
    const std::size_t nameEnd = trimEnd(nameBegin, from->valueBegin - unit_);
    std::string text = bytes_;
    // The later of the two changes first, so that the offsets of the other still hold.
    if (to && to->line.begin > from->line.begin)
        text.erase(to->line.begin, to->line.next - to->line.begin);
    text.replace(nameBegin, nameEnd - nameBegin, *name);
    if (to && to->line.begin < from->line.begin)
        text.erase(to->line.begin, to->line.next - to->line.begin);
    return {true, std::move(text), {}};
}

}  // namespace dovi
