#include "settings/inifile.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <unordered_set>

namespace dovi {

namespace {

constexpr std::size_t npos = std::string::npos;

bool isBlank(unsigned unit) { return unit == ' ' || unit == '\t'; }

std::string_view trimmed(std::string_view text) { return withoutBlanks(text); }

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

std::string_view withoutBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

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

// The line that starts at pos; a line reaching limit without a line end ends there.
IniText::Line IniText::lineAt(std::size_t pos, std::size_t limit) const
{
    Line line{pos, limit, limit};
    const std::size_t lf = find('\n', pos, limit);
    const std::size_t cr = find('\r', pos, lf);
    if (cr < lf) {
        line.end = cr;
        line.next = cr + unit_ < bytes_.size() && unitAt(cr + unit_) == '\n' ? cr + 2 * unit_ : cr + unit_;
    } else if (lf < limit) {
        line.end = lf;
        line.next = lf + unit_;
    }
    line.next = std::min(line.next, bytes_.size());
    return line;
}

// The sections are the lines whose first non-blank character is "[". In Shift-JIS the byte of "["
// can be the second half of a character, but never right after a blank or a line end, which are
// characters of their own: so a "[" with only blanks before it on its line is a real one.
void IniText::parse()
{
    const std::size_t size = bytes_.size();
    const std::size_t content = codepage::byteOrderMark(encoding_).size();
    const Line first = lineAt(content, size);
    lineEnd_ = first.next > first.end ? bytes_.substr(first.end, first.next - first.end) : *codec_->encode("\r\n");
    const unsigned last = size % unit_ == 0 && size > content ? unitAt(size - unit_) : 0;
    lastLineOpen_ = size > content && last != '\n' && last != '\r';

    for (std::size_t bracket = find('[', content, size); bracket < size; bracket = find('[', bracket + unit_, size)) {
        std::size_t begin = bracket;
        while (begin > content && isBlank(unitAt(begin - unit_)))
            begin -= unit_;
        if (begin > content && unitAt(begin - unit_) != '\n' && unitAt(begin - unit_) != '\r')
            continue;
        const Line line = lineAt(begin, size);
        const std::optional<std::string> name = sectionName(line);
        if (!name)
            continue;  // a "[" line without "]" is no section line
        if (!sections_.empty())
            sections_.back().bodyEnd = begin;
        sections_.push_back({line, size, std::hash<std::string_view>{}(*name)});
    }
}

// The folded name of the section that header opens, or nullopt when the line has no "]".
std::optional<std::string> IniText::sectionName(const Line& header) const
{
    const std::size_t nameBegin = skipBlanks(header.begin, header.end) + unit_;
    if (unit_ == 1) {
        // ASCII up to the "]" reads the same decoded: no need to decode then.
        for (std::size_t i = nameBegin; i < header.end; ++i) {
            const auto c = static_cast<unsigned char>(bytes_[i]);
            if (c == ']')
                return foldedName(std::string_view(bytes_).substr(nameBegin, i - nameBegin));
            if (c >= 0x80)
                break;
            if (i + 1 == header.end)
                return std::nullopt;
        }
    }
    // Decoded before looking for "]": in Shift-JIS its byte can be the second half of a character.
    const std::size_t length = header.end - std::min(nameBegin, header.end);
    const std::string text = nameText(std::string_view(bytes_).substr(nameBegin, length));
    const std::size_t close = text.find(']');
    if (close == npos)
        return std::nullopt;
    return foldedName(std::string_view(text).substr(0, close));
}

std::string IniText::nameText(std::string_view raw) const
{
    // A UTF-8 file may hold a line that a Shift-JIS editor wrote: a name on it is read as Shift-JIS
    // when it is no UTF-8 but whole Shift-JIS, so that the section or key is found and a write
    // changes it instead of adding a second one in the other encoding.
    bool damaged = false;
    std::string text = codec_->decode(raw, &damaged);
    if (!damaged || (encoding_ != FileEncoding::Utf8 && encoding_ != FileEncoding::Utf8Bom))
        return text;
    if (!shiftJis_)
        shiftJis_ = std::make_unique<codepage::Codec>(FileEncoding::Cp932);
    bool alsoDamaged = false;
    std::string asShiftJis = shiftJis_->decode(raw, &alsoDamaged);
    return alsoDamaged ? text : asShiftJis;
}

std::string IniText::decodedName(std::size_t begin, std::size_t end) const
{
    return foldedName(nameText(std::string_view(bytes_).substr(begin, end - begin)));
}

// Whether the key name in [begin, end) (trimmed) is name. An ASCII name matches only ASCII bytes:
// every other byte of a file decodes to a character outside ASCII (or to U+FFFD). Other names are
// compared decoded, and only where the lengths allow a match: each unit of the file's encoding
// decodes to one to three bytes of UTF-8, a surrogate pair to four.
bool IniText::keyMatches(std::size_t begin, std::size_t end, const KeyName& name) const
{
    const std::size_t n = end - begin;
    const std::size_t length = name.folded.size();
    if (name.ascii && unit_ == 1) {
        if (n != length)
            return false;
        for (std::size_t i = 0; i < n; ++i) {
            char c = bytes_[begin + i];
            if (static_cast<unsigned char>(c) >= 0x80)
                return false;
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            if (c != name.folded[i])
                return false;
        }
        return true;
    }
    const std::size_t units = n / unit_;
    if (units > length || 3 * units < length)
        return false;
    return decodedName(begin, end) == name.folded;
}

// Calls visit(key, nameBegin, nameEnd) for each key line of section in order (a line holding "="
// that is no comment and no "[" line), with the trimmed name's offsets; stops when it returns false.
template <typename Visit>
void IniText::forEachKeyLine(const Section& section, Visit visit) const
{
    for (std::size_t pos = section.header.next; pos < section.bodyEnd;) {
        const Line line = lineAt(pos, section.bodyEnd);
        pos = line.next;
        const std::size_t start = skipBlanks(line.begin, line.end);
        if (start >= line.end)
            continue;
        const unsigned first = unitAt(start);
        if (first == ';' || first == '[')
            continue;
        const std::size_t equals = find('=', start, line.end);
        if (equals >= line.end)
            continue;
        if (!visit(Key{line, equals + unit_}, start, trimEnd(start, equals)))
            return;
    }
}

const IniText::Section* IniText::findSection(std::string_view name) const
{
    // An empty name finds nothing, also where the file has a "[]" line: no write can name it. A
    // name finds the section stored under it, whichever of two code points a character stored
    // under a Windows code has.
    const std::string folded = foldedName(codec_->asStored(name));
    if (folded.empty())
        return nullptr;
    const std::size_t hash = std::hash<std::string_view>{}(folded);
    for (const Section& section : sections_)
        if (section.nameHash == hash && sectionName(section.header) == folded)
            return &section;
    return nullptr;
}

std::optional<IniText::Key> IniText::findKey(const Section& section, std::string_view key) const
{
    KeyName name{foldedName(codec_->asStored(key)), true};
    if (name.folded.empty())
        return std::nullopt;
    for (const char c : name.folded)
        name.ascii = name.ascii && static_cast<unsigned char>(c) < 0x80;
    std::optional<Key> found;
    forEachKeyLine(section, [&](const Key& candidate, std::size_t nameBegin, std::size_t nameEnd) {
        if (nameEnd > nameBegin && keyMatches(nameBegin, nameEnd, name))
            found = candidate;
        return !found;
    });
    return found;
}

// The line after which a new key of section goes: its last key line, else its section line.
IniText::Line IniText::lastKeyLine(const Section& section) const
{
    Line last = section.header;
    forEachKeyLine(section, [&](const Key& key, std::size_t, std::size_t) {
        last = key.line;
        return true;
    });
    return last;
}

std::string IniText::valueOf(const Key& key) const
{
    const Line& line = key.line;
    const auto [begin, end] =
        valueSpan(std::min(key.valueBegin, line.end), line.end, unit_, [this](std::size_t pos) { return unitAt(pos); });
    const std::string_view raw = std::string_view(bytes_).substr(begin, end - begin);
    std::string text = codec_->decode(raw.substr(0, codepage::cutLength(raw, encoding_, kValueLimit)));
    text.resize(std::min(text.find('\0'), text.size()));
    return text;
}

std::optional<std::string> IniText::value(std::string_view section, std::string_view key) const
{
    const Section* found = findSection(section);
    const std::optional<Key> entry = found ? findKey(*found, key) : std::nullopt;
    if (!entry)
        return std::nullopt;
    return valueOf(*entry);
}

std::vector<std::pair<std::string, std::string>> IniText::entries(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> list;
    const Section* found = findSection(section);
    if (!found)
        return list;
    std::unordered_set<std::string> seen;
    forEachKeyLine(*found, [&](const Key& key, std::size_t nameBegin, std::size_t nameEnd) {
        std::string name = decodedName(nameBegin, nameEnd);
        if (!name.empty() && seen.insert(name).second)
            list.emplace_back(std::move(name), valueOf(key));
        return true;
    });
    return list;
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
    const std::optional<Key> entry = found ? findKey(*found, keyName) : std::nullopt;
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
    const std::optional<Line> lastKey = found ? std::optional<Line>(lastKeyLine(*found)) : std::nullopt;
    const bool addsAtEnd = !lastKey || lastKey->next == bytes_.size();
    if (addsAtEnd && bytes_.size() % unit_ != 0)
        return refusal(writeFailure(WriteFailure::HalfUtf16Ending,
                                    "the settings file ends in half a UTF-16 character, so nothing can be added after it"));
    if (found) {
        const Line& after = *lastKey;
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
    if (lastLineOpen_)
        text += lineEnd_;
    text += *codec_->encode("[") + encoded[0] + *codec_->encode("]") + lineEnd_ + keyText + lineEnd_;
    return {true, std::move(text), {}};
}

IniEdit IniText::renameKey(std::string_view section, std::string_view fromKey, std::string_view toKey) const
{
    const std::string_view newName = trimmed(toKey);
    if (WriteResult problem = keyNameProblem(newName); refused(problem))
        return refusal(std::move(problem));
    const Section* found = findSection(section);
    const std::optional<Key> from = found ? findKey(*found, fromKey) : std::nullopt;
    if (!from)
        return refusal(writeFailure(WriteFailure::KeyMissing, "the key " + std::string(trimmed(fromKey)) +
                                                                  " is not in section " + std::string(trimmed(section))));
    char32_t bad = 0xFFFD;
    const auto name = codec_->encode(newName, &bad);
    if (!name)
        return refusal(unstorable(bad, encoding_, WritePart::KeyName));
    const std::optional<Key> to = findKey(*found, newName);
    if (to && to->line.begin == from->line.begin)
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
