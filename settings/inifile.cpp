#include "settings/inifile.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <deque>
#include <mutex>
#include <utility>
#include <unordered_map>

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

// Names that are numbers as std::to_string writes them, below kNumbers (the keys of lists such as
// the sayings), are told apart by their number, which costs less than a hash of the name.
constexpr std::size_t kNumbers = 1 << 16;

// The number that name is, or kNumbers when it is none of those.
std::size_t numberOfName(std::string_view name)
{
    if (name.empty() || name.size() > 5 || (name[0] == '0' && name.size() > 1))
        return kNumbers;
    std::size_t number = 0;
    for (const char c : name) {
        if (c < '0' || c > '9')
            return kNumbers;
        number = number * 10 + static_cast<std::size_t>(c - '0');
    }
    return std::min(number, kNumbers);
}

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

// The pieces one after the other, in one allocation of the whole size: a file's text is megabytes.
std::string joined(std::initializer_list<std::string_view> pieces)
{
    std::size_t size = 0;
    for (const std::string_view piece : pieces)
        size += piece.size();
    std::string text;
    text.reserve(size);
    for (const std::string_view piece : pieces)
        text.append(piece);
    return text;
}

// Why a batch of edits is refused when a text of a file in encoding would read in the other one.
WriteResult otherEncoding(FileEncoding encoding)
{
    return writeFailure(encoding == FileEncoding::Cp932 ? WriteFailure::WouldReadAsUtf8 : WriteFailure::WouldReadAsShiftJis,
                        "the settings file would read in another encoding during this change, so it is not changed");
}

}  // namespace

std::string_view withoutBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

namespace {
std::atomic<std::size_t> parses{0};
}  // namespace

std::size_t IniText::parsesSoFar() { return parses.load(std::memory_order_relaxed); }

IniText::IniText(std::string bytes) : IniText(FileBytes(std::move(bytes))) {}

IniText::IniText(FileBytes bytes)
    : storage_(std::move(bytes)),
      bytes_(storage_.view()),
      encoding_(codepage::detect(bytes_, &lines_)),
      unit_(codepage::unitSize(encoding_)),
      codec_(std::make_unique<codepage::Codec>(encoding_)),
      listings_(std::make_unique<Listings>())
{
    parses.fetch_add(1, std::memory_order_relaxed);
    parse();
}

IniText::~IniText() = default;
IniText::IniText(IniText&&) noexcept = default;
IniText& IniText::operator=(IniText&&) noexcept = default;

unsigned IniText::unitAt(std::size_t pos) const { return unitIn(bytes_, pos); }

unsigned IniText::unitIn(std::string_view text, std::size_t pos) const
{
    const auto byte = [&](std::size_t k) { return unsigned{static_cast<unsigned char>(text[k])}; };
    if (unit_ == 1)
        return byte(pos);
    if (pos + 1 >= text.size())
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
    lineEnd_ = first.next > first.end ? std::string(bytes_.substr(first.end, first.next - first.end))
                                      : *codec_->encode("\r\n");
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

// Appends what decodedName() gives to out; an ASCII name of a byte encoding without a string of
// its own.
void IniText::appendName(std::size_t begin, std::size_t end, std::string& out) const
{
    if (unit_ == 1) {
        const std::size_t start = out.size();
        for (std::size_t i = begin; i < end; ++i) {
            char c = bytes_[i];
            if (static_cast<unsigned char>(c) >= 0x80) {
                out.resize(start);
                out.append(decodedName(begin, end));
                return;
            }
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            out.push_back(c);
        }
        return;
    }
    out.append(decodedName(begin, end));
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
    std::string text;
    appendValue(key, text);
    return text;
}

// The bytes of key's value that a read decodes: without the blanks and quotes around them, cut
// at the limit.
std::string_view IniText::rawValue(const Key& key) const
{
    const Line& line = key.line;
    return rawValueIn(std::string_view(bytes_).substr(line.begin, line.end - line.begin),
                      std::max(key.valueBegin, line.begin) - line.begin);
}

// The same for the value that starts at valueBegin of a key line's content (its line end left
// out), wherever that content is kept.
std::string_view IniText::rawValueIn(std::string_view content, std::size_t valueBegin) const
{
    const auto [begin, end] = valueSpan(std::min(valueBegin, content.size()), content.size(), unit_,
                                        [&](std::size_t pos) { return unitIn(content, pos); });
    const std::string_view raw = content.substr(begin, end - begin);
    return raw.substr(0, codepage::cutLength(raw, encoding_, kValueLimit));
}

bool IniText::holdsNothing(std::string_view content, std::size_t valueBegin) const
{
    const std::string_view raw = rawValueIn(content, valueBegin);
    // Only a value that starts with "0" can read as "0": most are known without decoding them.
    if (raw.empty() || (unit_ == 1 && raw[0] != '0'))
        return false;
    std::string read;
    codec_->decodeAppend(raw, read);
    if (const std::size_t nul = read.find('\0'); nul != npos)
        read.resize(nul);
    return read == "0";
}

// Appends the value of key as a read gives it to out.
void IniText::appendValue(const Key& key, std::string& out) const
{
    const std::size_t start = out.size();
    codec_->decodeAppend(rawValue(key), out);
    if (const std::size_t nul = out.find('\0', start); nul != npos)
        out.resize(nul);
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
    const KeyListing listed = listing(section);
    std::vector<std::pair<std::string, std::string>> list;
    list.reserve(listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i)
        list.emplace_back(listed.name(i), listed.value(i));
    return list;
}

KeyListing IniText::listing(std::string_view section) const
{
    // Made once for each section asked for, and shared: a command that finds an entry and then
    // edits it under the lock lists the same text twice.
    const std::lock_guard hold(listings_->lock);
    for (const auto& [asked, listed] : listings_->made)
        if (asked == section)
            return listed;
    KeyListing made = makeListing(section);
    listings_->made.emplace_back(std::string(section), made);
    return made;
}

KeyListing IniText::makeListing(std::string_view section) const
{
    KeyListing list;
    const Section* found = findSection(section);
    if (!found)
        return list;
    FileBytes& text = list.data_->text;
    const std::size_t bytes = found->bodyEnd - found->header.next;
    list.data_->entries.reserve(bytes / 32 + 1);  // an estimate of the lines
    text.reserve(bytes + bytes / 2);        // two bytes of Shift-JIS give three of UTF-8
    // The names listed so far, by hash (open addressing; a slot holds an entry's index + 1), so that
    // a name that stands twice is listed at its first line only.
    std::vector<std::uint32_t> slots(64);
    const auto nameOf = [&](std::uint32_t slot) {
        const KeyListing::Entry& entry = list.data_->entries[slot - 1];
        return text.view().substr(entry.name, entry.nameSize);
    };
    const auto slotOf = [&](std::string_view name) -> std::uint32_t& {
        const std::size_t mask = slots.size() - 1;
        for (std::size_t at = std::hash<std::string_view>{}(name) & mask;; at = (at + 1) & mask)
            if (slots[at] == 0 || nameOf(slots[at]) == name)
                return slots[at];
    };
    // Names that are numbers are looked up by their number instead: entry index + 1 by number.
    std::vector<std::uint32_t> byNumber;
    const auto numberOf = numberOfName;
    std::size_t hashed = 0;  // names in slots
    std::string name;
    forEachKeyLine(*found, [&](const Key& key, std::size_t nameBegin, std::size_t nameEnd) {
        name.clear();
        appendName(nameBegin, nameEnd, name);
        if (name.empty())
            return true;
        const std::size_t number = numberOf(name);
        if (number < kNumbers) {
            if (number >= byNumber.size())
                byNumber.resize(std::max(number + 1, 2 * byNumber.size()));
            if (byNumber[number] != 0)
                return true;
            byNumber[number] = static_cast<std::uint32_t>(list.data_->entries.size() + 1);
        } else if (slotOf(name) != 0) {
            return true;
        }
        // Straight into the buffer: the name, then the value as a read gives it.
        const std::string_view raw = rawValue(key);
        const std::size_t at = text.size();
        char* const to = list.room(name.size() + 3 * raw.size() + 3);
        std::memcpy(to, name.data(), name.size());
        char* const value = to + name.size();
        std::size_t valueSize = codec_->decodeInto(raw, value);
        if (const void* nul = std::memchr(value, '\0', valueSize))
            valueSize = static_cast<std::size_t>(static_cast<const char*>(nul) - value);
        text.resize(at + name.size() + valueSize);
        list.data_->entries.push_back(KeyListing::entryAt(at, name.size(), valueSize));
        if (number < kNumbers)
            return true;
        if (2 * ++hashed > slots.size()) {
            slots.assign(2 * slots.size(), 0);
            for (std::uint32_t i = 1; i <= list.data_->entries.size(); ++i)
                if (numberOf(nameOf(i)) == kNumbers)
                    slotOf(nameOf(i)) = i;
        } else {
            slotOf(nameOf(static_cast<std::uint32_t>(list.data_->entries.size()))) =
                static_cast<std::uint32_t>(list.data_->entries.size());
        }
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

bool IniText::prepareEdit(std::string_view section, std::string_view key, std::optional<std::string_view> value,
                          PreparedEdit& prepared, IniEdit& early) const
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
    if (refused(problem)) {
        early = refusal(std::move(problem));
        return false;
    }

    std::string* const encoded[3] = {&prepared.section, &prepared.key, &prepared.value};
    const std::string_view parts[3] = {sectionName, keyName, value.value_or("")};
    constexpr WritePart partOf[3] = {WritePart::SectionName, WritePart::KeyName, WritePart::Value};
    for (int i = 0; i < 3; ++i) {
        char32_t bad = 0xFFFD;
        auto bytes = codec_->encode(parts[i], &bad);
        if (!bytes && !value) {
            early = {};  // a name the file cannot hold is in no line of it: nothing to delete
            return false;
        }
        if (!bytes) {
            early = refusal(unstorable(bad, encoding_, partOf[i]));
            return false;
        }
        *encoded[i] = std::move(*bytes);
    }
    prepared.sectionName = sectionName;
    prepared.keyName = keyName;
    return true;
}

IniEdit IniText::edit(std::string_view section, std::string_view key, std::optional<std::string_view> value) const
{
    PreparedEdit prepared;
    if (IniEdit early; !prepareEdit(section, key, value, prepared, early))
        return early;
    const std::string_view sectionName = prepared.sectionName;
    const std::string_view keyName = prepared.keyName;
    const std::string encoded[3] = {std::move(prepared.section), std::move(prepared.key), std::move(prepared.value)};
    const std::string keyText = encoded[1] + *codec_->encode("=") + encoded[2];

    const Section* found = findSection(sectionName);
    const std::optional<Key> entry = found ? findKey(*found, keyName) : std::nullopt;
    const std::string_view all = bytes_;
    if (!value) {
        if (!entry)
            return {};
        return {true, joined({all.substr(0, entry->line.begin), all.substr(entry->line.next)}), {}};
    }
    if (entry) {
        const std::size_t end = entry->line.end;
        return {true, joined({all.substr(0, entry->valueBegin), encoded[2], all.substr(end)}), {}};
    }
    const std::optional<Line> lastKey = found ? std::optional<Line>(lastKeyLine(*found)) : std::nullopt;
    const bool addsAtEnd = !lastKey || lastKey->next == bytes_.size();
    if (addsAtEnd && bytes_.size() % unit_ != 0)
        return refusal(writeFailure(WriteFailure::HalfUtf16Ending,
                                    "the settings file ends in half a UTF-16 character, so nothing can be added after it"));
    if (found) {
        const Line& after = *lastKey;
        const std::string_view closed = after.next == after.end ? std::string_view(lineEnd_) : std::string_view();
        // The new line ends as the line before it: the file's first line end may be a lone CR,
        // which would join an LF that starts the next line into one line end.
        const std::string_view end = after.next > after.end ? all.substr(after.end, after.next - after.end)
                                                            : std::string_view(lineEnd_);
        return {true, joined({all.substr(0, after.next), closed, keyText, end, all.substr(after.next)}), {}};
    }
    std::string text(bytes_);
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
    std::string text(bytes_);
    // The later of the two changes first, so that the offsets of the other still hold.
    if (to && to->line.begin > from->line.begin)
        text.erase(to->line.begin, to->line.next - to->line.begin);
    text.replace(nameBegin, nameEnd - nameBegin, *name);
    if (to && to->line.begin < from->line.begin)
        text.erase(to->line.begin, to->line.next - to->line.begin);
    return {true, std::move(text), {}};
}

// The text as editAll() changes it: the sections that the edits name, split into lines once when
// first named; the rest stays as the bytes of the original text. Each change does to these lines
// what edit() and renameKey() do to the bytes, and keeps up what a new parse would find in the
// text so far: the key lines of each section and the first line of each name, the last key line,
// the size, and the lines that decide the encoding.
class IniText::Batch {
public:
    explicit Batch(const IniText& text)
        : t_(text),
          size_(text.bytes_.size()),
          lines_(text.lines_),
          watchesEncoding_(text.encoding_ == FileEncoding::Cp932 || text.encoding_ == FileEncoding::Utf8),
          equals_(*text.codec_->encode("=")),
          open_(*text.codec_->encode("[")),
          close_(*text.codec_->encode("]")),
          cr_(*text.codec_->encode("\r")),
          lf_(*text.codec_->encode("\n")),
          crLf_(cr_ + lf_),
          lineEnd_(text.lineEnd_)
    {
    }

    IniEdit run(std::span<const KeyEdit> edits)
    {
        bool changed = false;
        // Takes the outcome of one step; false, with the batch's outcome in *stop, when it ends the
        // batch.
        std::optional<IniEdit> stop;
        const auto goesOn = [&](IniEdit step) {
            if (refused(step.refusal)) {
                stop = std::move(step);
                return false;
            }
            if (!step.changed)
                return true;
            changed = true;
            if (watchesEncoding_ && lines_.encoding() != t_.encoding_) {
                stop = refusal(otherEncoding(t_.encoding_));
                return false;
            }
            return true;
        };
        for (const KeyEdit& edit : edits) {
            bool on = true;
            switch (edit.kind) {
            case KeyEdit::Kind::Set: on = goesOn(set(edit.section, edit.key, edit.text)); break;
            case KeyEdit::Kind::Delete: on = goesOn(set(edit.section, edit.key, std::nullopt)); break;
            case KeyEdit::Kind::Rename: on = goesOn(rename(edit.section, edit.key, edit.text)); break;
            case KeyEdit::Kind::Renumber: on = renumber(edit, goesOn); break;
            }
            if (!on)
                return std::move(*stop);
        }
        if (!changed)
            return {};
        std::string text = joined();
        if (text == t_.bytes_)
            return {};  // nothing to replace: the file stays as it is, inode and times included
        IniEdit result{true, std::move(text), {}};
        if (watchesEncoding_)
            result.lines = lines_;
        return result;
    }

private:
    // A line, small because a section can have tens of thousands of them.
    struct Node {
        const char* text = nullptr;  // its content: in the original text, or one of the batch's texts_
        std::uint32_t size = 0;
        std::uint32_t nameBegin = 0, nameEnd = 0, valueBegin = 0;  // in the content
        std::string_view lineEnd;    // in the original text, lineEnd_, or crLf_
        int name = -1;               // its name's number in the section's Names; -1 when the name is empty
        int sameName = -1;           // the next key line of the same name, in order
        int prev = -1, next = -1;
        bool key = false;            // a key line: holds "=", no comment, no "[" line
        bool live = true;
        std::string_view content() const { return {text, size}; }
        void setContent(std::string_view content)
        {
            text = content.data();
            size = static_cast<std::uint32_t>(content.size());
        }
    };
    // The key names of a section, each once (folded, as lookups compare them) under a number, with
    // the first key line of each; the later lines of a name follow through Node::sameName. One
    // buffer of names and a table of numbers by hash: no allocation for each line.
    struct Names {
        std::string pool;                                            // the names one after the other
        std::vector<std::pair<std::size_t, std::size_t>> spans;      // by number: offset and size in pool
        std::vector<int> first;                                      // by number: first key line, -1 none
        std::vector<std::uint32_t> slots = std::vector<std::uint32_t>(64);  // number + 1 by hash, 0 free
        std::vector<std::uint32_t> byNumber;  // number + 1 by the number a name is (numberOfName)
        std::size_t hashed = 0;               // names in slots

        std::string_view nameOf(std::uint32_t number) const
        {
            return std::string_view(pool).substr(spans[number].first, spans[number].second);
        }
        std::uint32_t& slotOf(std::string_view name)
        {
            const std::size_t mask = slots.size() - 1;
            for (std::size_t at = std::hash<std::string_view>{}(name) & mask;; at = (at + 1) & mask)
                if (slots[at] == 0 || nameOf(slots[at] - 1) == name)
                    return slots[at];
        }
        // Where the number of name is kept: in byNumber or in slots (0 while it has none).
        std::uint32_t* entryOf(std::string_view name, bool grow)
        {
            const std::size_t number = numberOfName(name);
            if (number == kNumbers)
                return &slotOf(name);
            if (number >= byNumber.size()) {
                if (!grow)
                    return nullptr;
                byNumber.resize(std::max(number + 1, 2 * byNumber.size()));
            }
            return &byNumber[number];
        }
        // The number of name, -1 when the section never had a key line of that name.
        int find(std::string_view name)
        {
            const std::uint32_t* entry = name.empty() ? nullptr : entryOf(name, false);
            return entry ? static_cast<int>(*entry) - 1 : -1;
        }
        // The number of the name that pool holds from at on, which stays there when it is new.
        int add(std::size_t at)
        {
            const std::string_view name = std::string_view(pool).substr(at);
            std::uint32_t& entry = *entryOf(name, true);
            if (entry != 0) {
                pool.resize(at);
                return static_cast<int>(entry) - 1;
            }
            spans.emplace_back(at, name.size());
            first.push_back(-1);
            entry = static_cast<std::uint32_t>(spans.size());
            if (numberOfName(name) == kNumbers && 2 * ++hashed > slots.size()) {
                slots.assign(2 * slots.size(), 0);
                for (std::uint32_t number = 0; number < spans.size(); ++number)
                    if (numberOfName(nameOf(number)) == kNumbers)
                        slotOf(nameOf(number)) = number + 1;
            }
            return static_cast<int>(spans.size()) - 1;
        }
        int add(std::string_view name)
        {
            const std::size_t at = pool.size();
            pool.append(name);
            return add(at);
        }
    };
    // A section as lines; node 0 is its section line. New lines go to the end of nodes, and always
    // after every key line there is, so the order of the indexes is the order of the key lines.
    struct Part {
        std::vector<Node> nodes;
        int tail = 0;                // its last line
        std::vector<int> keys;       // its key lines in order; removed ones may stay
        Names names;                 // the key lines of each name, in order
        bool lastOriginal = false;   // the last section of the original text
    };

    std::string folded(std::string_view name) const { return foldedName(t_.codec_->asStored(name)); }

    // A copy of text kept for as long as the batch runs, in blocks that never move: a batch that
    // renames every line of a section changes tens of thousands of lines.
    std::string_view kept(std::string_view text)
    {
        constexpr std::size_t kBlock = 64 * 1024;
        if (text.size() > kBlock / 8)
            return texts_.emplace_back(text);  // a long line: a string of its own
        if (blocks_.empty() || kBlock - blockUsed_ < text.size()) {
            blocks_.emplace_back(new char[kBlock]);  // not zero-filled: only what is copied is read
            blockUsed_ = 0;
        }
        char* const to = blocks_.back().get() + blockUsed_;
        std::memcpy(to, text.data(), text.size());
        blockUsed_ += text.size();
        return {to, text.size()};
    }

    void count(std::string_view content, bool add)
    {
        if (watchesEncoding_)
            codepage::countLine(content, lines_, add);
    }

    Part& materialize(std::size_t index)
    {
        auto [it, made] = parts_.try_emplace(index);
        Part& part = it->second;
        if (!made)
            return part;
        const Section& section = t_.sections_[index];
        const std::string_view all = t_.bytes_;
        const auto add = [&](const Line& line) {
            Node node;
            node.setContent(all.substr(line.begin, line.end - line.begin));
            node.lineEnd = all.substr(line.end, line.next - line.end);
            node.prev = static_cast<int>(part.nodes.size()) - 1;
            part.nodes.push_back(std::move(node));
            if (part.nodes.size() > 1)
                part.nodes[part.nodes.size() - 2].next = static_cast<int>(part.nodes.size()) - 1;
            return static_cast<int>(part.nodes.size()) - 1;
        };
        // About one line per 32 bytes, so that the vector seldom grows while the lines are added.
        part.nodes.reserve((section.bodyEnd - section.header.begin) / 32 + 2);
        add(section.header);
        // Every line, and of the key lines what forEachKeyLine() finds.
        for (std::size_t pos = section.header.next; pos < section.bodyEnd;) {
            const Line line = t_.lineAt(pos, section.bodyEnd);
            pos = line.next;
            const int i = add(line);
            const std::size_t start = t_.skipBlanks(line.begin, line.end);
            if (start >= line.end)
                continue;
            const unsigned first = t_.unitAt(start);
            if (first == ';' || first == '[')
                continue;
            const std::size_t equals = t_.find('=', start, line.end);
            if (equals >= line.end)
                continue;
            Node& node = part.nodes[static_cast<std::size_t>(i)];
            const std::size_t nameEnd = t_.trimEnd(start, equals);
            node.key = true;
            node.nameBegin = static_cast<std::uint32_t>(start - line.begin);
            node.nameEnd = static_cast<std::uint32_t>(nameEnd - line.begin);
            node.valueBegin = static_cast<std::uint32_t>(equals + t_.unit_ - line.begin);
            if (nameEnd > start) {
                const std::size_t at = part.names.pool.size();
                t_.appendName(start, nameEnd, part.names.pool);
                if (part.names.pool.size() > at) {
                    node.name = part.names.add(at);
                    indexLine(part, i);
                }
            }
            part.keys.push_back(i);
        }
        part.tail = static_cast<int>(part.nodes.size()) - 1;
        part.lastOriginal = index + 1 == t_.sections_.size();
        return part;
    }

    // The section a lookup of name finds in the text so far: the first one of that name.
    Part* findPart(std::string_view name)
    {
        // A batch names the same section again and again; once found, a name keeps its section
        // (sections only come, and only under names not found).
        if (lastPart_ && name == lastName_)
            return lastPart_;
        Part* part = nullptr;
        if (const Section* found = t_.findSection(name)) {
            part = &materialize(static_cast<std::size_t>(found - t_.sections_.data()));
        } else if (const auto added = addedByName_.find(folded(name)); added != addedByName_.end()) {
            part = added_[added->second].get();
        }
        if (part) {
            lastName_.assign(name);
            lastPart_ = part;
        }
        return part;
    }

    static int firstKey(Part& part, const std::string& name)
    {
        const int number = part.names.find(name);
        return number < 0 ? -1 : part.names.first[static_cast<std::size_t>(number)];
    }

    static int lastKeyLine(Part& part)
    {
        while (!part.keys.empty() && !part.nodes[static_cast<std::size_t>(part.keys.back())].live)
            part.keys.pop_back();
        return part.keys.empty() ? 0 : part.keys.back();
    }

    bool isLastPart(const Part& part) const
    {
        return added_.empty() ? part.lastOriginal : &part == added_.back().get();
    }

    // Whether the text ends without a line end after its last line.
    bool lastLineOpen() const
    {
        if (!added_.empty())
            return false;  // every line of an added section has its line end
        if (t_.sections_.empty())
            return t_.lastLineOpen_ && !preambleClosed_;
        const auto last = parts_.find(t_.sections_.size() - 1);
        if (last == parts_.end())
            return t_.lastLineOpen_;
        return last->second.nodes[static_cast<std::size_t>(last->second.tail)].lineEnd.empty();
    }

    void closeLastLine()
    {
        size_ += lineEnd_.size();
        if (t_.sections_.empty()) {
            preambleClosed_ = true;
            return;
        }
        Part& last = materialize(t_.sections_.size() - 1);
        last.nodes[static_cast<std::size_t>(last.tail)].lineEnd = lineEnd_;
    }

    static void unlink(Part& part, int i)
    {
        Node& node = part.nodes[static_cast<std::size_t>(i)];
        node.live = false;
        part.nodes[static_cast<std::size_t>(node.prev)].next = node.next;  // the section line never goes
        if (node.next >= 0)
            part.nodes[static_cast<std::size_t>(node.next)].prev = node.prev;
        if (part.tail == i)
            part.tail = node.prev;
    }

    // Puts key line i into the lines of its name, in order.
    static void indexLine(Part& part, int i)
    {
        Node& node = part.nodes[static_cast<std::size_t>(i)];
        if (node.name < 0)
            return;
        int* link = &part.names.first[static_cast<std::size_t>(node.name)];
        while (*link >= 0 && *link < i)
            link = &part.nodes[static_cast<std::size_t>(*link)].sameName;
        node.sameName = *link;
        *link = i;
    }

    static void unindexLine(Part& part, int i)
    {
        Node& node = part.nodes[static_cast<std::size_t>(i)];
        if (node.name < 0)
            return;
        int* link = &part.names.first[static_cast<std::size_t>(node.name)];
        while (*link != i)
            link = &part.nodes[static_cast<std::size_t>(*link)].sameName;
        *link = node.sameName;
        node.sameName = -1;
    }

    void remove(Part& part, int i)
    {
        const Node& node = part.nodes[static_cast<std::size_t>(i)];
        count(node.content(), false);
        size_ -= node.content().size() + node.lineEnd.size();
        unindexLine(part, i);
        unlink(part, i);
        // A lone CR that now meets an empty line ending in LF is one CR LF for the next parse.
        Node& before = part.nodes[static_cast<std::size_t>(node.prev)];
        if (node.next >= 0 && before.lineEnd == cr_) {
            const Node& after = part.nodes[static_cast<std::size_t>(node.next)];
            if (after.content().empty() && after.lineEnd == lf_) {
                before.lineEnd = crLf_;
                unlink(part, node.next);
                // When that is the file's first line, its line end is the one new lines get.
                if (node.prev == 0 && &part == firstLinePart())
                    lineEnd_ = crLf_;
            }
        }
    }

    void setContent(Node& node, std::string content)
    {
        count(node.content(), false);
        count(content, true);
        size_ = size_ - node.content().size() + content.size();
        node.setContent(kept(std::move(content)));
    }

    // A new key line after line i of part, as edit() adds one.
    void insertAfter(Part& part, int i, const PreparedEdit& edit)
    {
        std::string_view end = part.nodes[static_cast<std::size_t>(i)].lineEnd;
        if (end.empty()) {
            end = lineEnd_;
            part.nodes[static_cast<std::size_t>(i)].lineEnd = end;
            size_ += end.size();
        }
        Node node;
        node.setContent(kept(edit.key + equals_ + edit.value));
        node.lineEnd = end;
        node.key = true;
        node.nameEnd = static_cast<std::uint32_t>(edit.key.size());
        node.valueBegin = static_cast<std::uint32_t>(edit.key.size() + equals_.size());
        node.name = part.names.add(folded(edit.keyName));
        node.prev = i;
        node.next = part.nodes[static_cast<std::size_t>(i)].next;
        count(node.content(), true);
        size_ += node.content().size() + end.size();
        const int added = static_cast<int>(part.nodes.size());
        part.nodes.push_back(std::move(node));
        part.nodes[static_cast<std::size_t>(i)].next = added;
        if (part.nodes[static_cast<std::size_t>(added)].next >= 0)
            part.nodes[static_cast<std::size_t>(part.nodes[static_cast<std::size_t>(added)].next)].prev = added;
        if (part.tail == i)
            part.tail = added;
        part.keys.push_back(added);
        indexLine(part, added);
    }

    void appendSection(const PreparedEdit& edit)
    {
        if (lastLineOpen())
            closeLastLine();
        auto part = std::make_unique<Part>();
        Node header;
        header.setContent(kept(open_ + edit.section + close_));
        header.lineEnd = lineEnd_;
        count(header.content(), true);
        size_ += header.content().size() + header.lineEnd.size();
        part->nodes.push_back(std::move(header));
        addedByName_.emplace(folded(edit.sectionName), added_.size());
        added_.push_back(std::move(part));
        insertAfter(*added_.back(), 0, edit);
    }

    IniEdit set(std::string_view section, std::string_view key, std::optional<std::string_view> value)
    {
        PreparedEdit edit;
        if (IniEdit early; !t_.prepareEdit(section, key, value, edit, early))
            return early;
        Part* const part = findPart(edit.sectionName);
        const int entry = part ? firstKey(*part, folded(edit.keyName)) : -1;
        if (!value) {
            if (entry < 0)
                return {};
            remove(*part, entry);
            return {true, {}, {}};
        }
        if (entry >= 0) {
            Node& node = part->nodes[static_cast<std::size_t>(entry)];
            setContent(node, std::string(node.content().substr(0, node.valueBegin)).append(edit.value));
            return {true, {}, {}};
        }
        const int lastKey = part ? lastKeyLine(*part) : -1;
        const bool addsAtEnd =
            !part || (isLastPart(*part) && part->nodes[static_cast<std::size_t>(lastKey)].next < 0);
        if (addsAtEnd && size_ % t_.unit_ != 0)
            return refusal(writeFailure(WriteFailure::HalfUtf16Ending,
                                        "the settings file ends in half a UTF-16 character, so nothing can be added "
                                        "after it"));
        if (part)
            insertAfter(*part, lastKey, edit);
        else
            appendSection(edit);
        return {true, {}, {}};
    }

    // The Deletes and Renames a Renumber edit stands for, each step handed to goesOn as it is
    // made; false when goesOn ends the batch.
    template <typename GoesOn>
    bool renumber(const KeyEdit& edit, GoesOn& goesOn)
    {
        if (!edit.renumbersSome())
            return true;
        if (!edit.renumberable())
            return goesOn(refusal(KeyEdit::notRenumberable()));
        for (int i = 0; i <= edit.last - edit.first; ++i) {
            const int number = edit.renumberedAt(i);
            const std::string key = std::to_string(number);
            Part* const part = findPart(edit.section);
            const int entry = part ? firstKey(*part, folded(key)) : -1;
            if (entry < 0)
                continue;  // nothing to delete
            const Node& node = part->nodes[static_cast<std::size_t>(entry)];
            const bool on = t_.holdsNothing(node.content(), node.valueBegin)
                                ? goesOn(set(edit.section, key, std::nullopt))
                                : goesOn(rename(edit.section, key, std::to_string(number + edit.by)));
            if (!on)
                return false;
        }
        return true;
    }

    IniEdit rename(std::string_view section, std::string_view fromKey, std::string_view toKey)
    {
        const std::string_view newName = trimmed(toKey);
        if (WriteResult problem = keyNameProblem(newName); refused(problem))
            return refusal(std::move(problem));
        Part* const part = findPart(section);
        const int from = part ? firstKey(*part, folded(fromKey)) : -1;
        if (from < 0)
            return refusal(writeFailure(WriteFailure::KeyMissing, "the key " + std::string(trimmed(fromKey)) +
                                                                      " is not in section " +
                                                                      std::string(trimmed(section))));
        char32_t bad = 0xFFFD;
        const auto name = t_.codec_->encode(newName, &bad);
        if (!name)
            return refusal(unstorable(bad, t_.encoding_, WritePart::KeyName));
        std::string newFolded = folded(newName);
        const int to = firstKey(*part, newFolded);
        if (to == from)
            return {};
        if (to >= 0)
            remove(*part, to);
        Node& node = part->nodes[static_cast<std::size_t>(from)];
        const std::string_view content = node.content();
        std::string renamed = std::string(content.substr(0, node.nameBegin)).append(*name).append(content.substr(node.nameEnd));
        node.valueBegin = static_cast<std::uint32_t>(node.valueBegin - (node.nameEnd - node.nameBegin) + name->size());
        node.nameEnd = static_cast<std::uint32_t>(node.nameBegin + name->size());
        setContent(node, std::move(renamed));
        unindexLine(*part, from);
        node.name = part->names.add(newFolded);
        indexLine(*part, from);
        return {true, {}, {}};
    }

    // The section whose line is the file's first line, if one is and has been split into lines.
    const Part* firstLinePart() const
    {
        if (t_.sections_.empty() || t_.sections_.front().header.begin != codepage::byteOrderMark(t_.encoding_).size())
            return nullptr;
        const auto first = parts_.find(0);
        return first == parts_.end() ? nullptr : &first->second;
    }

    std::string joined() const
    {
        const std::string_view all = t_.bytes_;
        std::string text;
        text.reserve(size_);
        const auto append = [&](const Part& part) {
            for (int i = 0; i >= 0; i = part.nodes[static_cast<std::size_t>(i)].next)
                text.append(part.nodes[static_cast<std::size_t>(i)].content())
                    .append(part.nodes[static_cast<std::size_t>(i)].lineEnd);
        };
        text.append(all.substr(0, t_.sections_.empty() ? all.size() : t_.sections_.front().header.begin));
        if (preambleClosed_)
            text.append(lineEnd_);
        for (std::size_t i = 0; i < t_.sections_.size(); ++i) {
            const Section& section = t_.sections_[i];
            if (const auto part = parts_.find(i); part != parts_.end())
                append(part->second);
            else
                text.append(all.substr(section.header.begin, section.bodyEnd - section.header.begin));
        }
        for (const auto& part : added_)
            append(*part);
        return text;
    }

    const IniText& t_;
    std::size_t size_;              // of the text so far
    codepage::Utf8Lines lines_;     // of the text so far
    const bool watchesEncoding_;    // a file without a mark: its lines decide its encoding
    const std::string equals_, open_, close_, cr_, lf_, crLf_;
    std::unordered_map<std::size_t, Part> parts_;  // by the index of the original section
    std::vector<std::unique_ptr<Part>> added_;     // sections added at the end, in order
    std::unordered_map<std::string, std::size_t> addedByName_;
    // The contents of changed and new lines: short ones in blocks, long ones as strings.
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockUsed_ = 0;
    std::deque<std::string> texts_;
    std::string lastName_;       // the section name findPart() was last asked for and found
    Part* lastPart_ = nullptr;   // what it found
    bool preambleClosed_ = false;  // a text without sections got a line end after its last line
    std::string_view lineEnd_;     // the first line's line end (CR LF when it has none)
};

IniEdit IniText::editAll(std::span<const KeyEdit> edits) const
{
    // One edit (a changed entry) costs less applied to the bytes than with its section split into
    // lines.
    if (edits.size() == 1)
        if (std::optional<IniEdit> one = editOne(edits.front()))
            return std::move(*one);
    // A few values stored in sections of their own (an added entry with its count): each changes
    // or adds one line of its section and cannot move what the others find.
    if (edits.size() <= 4)
        if (std::optional<IniEdit> apart = editApart(edits))
            return std::move(*apart);
    // Numbered keys of one section renamed and deleted (a removed or moved entry, the later ones
    // taking the numbers before theirs): the section's bytes streamed once into the new text.
    if (std::optional<IniEdit> shifts = editShifts(edits))
        return std::move(*shifts);
    return Batch(*this).run(edits);
}

// editAll() for Set edits that each name another section of this text, none of them adding after
// a last line that lacks its line end: each edit's change is found in this text and they are made
// together, as the one before cannot change what the next finds. Nothing for other batches, and
// where an edit is refused (the batch says why).
std::optional<IniEdit> IniText::editApart(std::span<const KeyEdit> edits) const
{
    struct Change {
        std::size_t begin, end;       // the bytes of this text it replaces
        std::string text;             // what it puts there
        std::string_view oldLine;     // the content of the line it changes, if any
        std::string newLine;          // the content of the line after it
    };
    std::vector<Change> changes;
    std::vector<const Section*> named;
    const std::string_view all = bytes_;
    for (const KeyEdit& edit : edits) {
        if (edit.kind != KeyEdit::Kind::Set)
            return std::nullopt;
        PreparedEdit prepared;
        if (IniEdit early; !prepareEdit(edit.section, edit.key, edit.text, prepared, early))
            return std::nullopt;
        const Section* found = findSection(prepared.sectionName);
        if (!found || std::find(named.begin(), named.end(), found) != named.end())
            return std::nullopt;
        named.push_back(found);
        if (const std::optional<Key> entry = findKey(*found, prepared.keyName)) {
            const Line& line = entry->line;
            std::string newLine = std::string(all.substr(line.begin, entry->valueBegin - line.begin)) + prepared.value;
            changes.push_back({entry->valueBegin, line.end, prepared.value, all.substr(line.begin, line.end - line.begin),
                               std::move(newLine)});
            continue;
        }
        const Line after = lastKeyLine(*found);
        if (after.next == after.end || (after.next == bytes_.size() && bytes_.size() % unit_ != 0))
            return std::nullopt;  // a last line without its line end, or half a character after it
        std::string newLine = prepared.key + *codec_->encode("=") + prepared.value;
        std::string text = newLine + std::string(all.substr(after.end, after.next - after.end));
        changes.push_back({after.next, after.next, std::move(text), {}, std::move(newLine)});
    }
    codepage::Utf8Lines lines = lines_;
    const bool watches = encoding_ == FileEncoding::Cp932 || encoding_ == FileEncoding::Utf8;
    for (const Change& change : changes) {
        if (!watches)
            break;
        if (change.oldLine.data())
            codepage::countLine(change.oldLine, lines, false);
        codepage::countLine(change.newLine, lines, true);
        if (lines.encoding() != encoding_)
            return refusal(otherEncoding(encoding_));
    }
    std::sort(changes.begin(), changes.end(), [](const Change& a, const Change& b) { return a.begin < b.begin; });
    std::size_t size = bytes_.size();
    for (const Change& change : changes)
        size = size - (change.end - change.begin) + change.text.size();
    std::string text;
    text.reserve(size);
    std::size_t done = 0;
    for (const Change& change : changes) {
        text.append(all.substr(done, change.begin - done)).append(change.text);
        done = change.end;
    }
    text.append(all.substr(done));
    return madeText(std::move(text), watches ? std::optional(lines) : std::nullopt);
}

// The outcome of a fast path that made the new text in one piece: nothing to replace when it is
// this text (the file stays as it is, inode and times included), else the text with its counted
// lines, if the path counted them.
IniEdit IniText::madeText(std::string text, std::optional<codepage::Utf8Lines> lines) const
{
    if (text == bytes_)
        return IniEdit{};
    return IniEdit{true, std::move(text), {}, lines};
}

// editAll() for one edit: edit() or renameKey(), with the lines that decide the encoding counted
// anew. Nothing in the one case where that count is not the batch's: a text that comes to start
// with a byte-order mark.
std::optional<IniEdit> IniText::editOne(const KeyEdit& edit) const
{
    IniEdit result;
    switch (edit.kind) {
    case KeyEdit::Kind::Set: result = this->edit(edit.section, edit.key, edit.text); break;
    case KeyEdit::Kind::Delete: result = this->edit(edit.section, edit.key, std::nullopt); break;
    case KeyEdit::Kind::Rename: result = renameKey(edit.section, edit.key, edit.text); break;
    case KeyEdit::Kind::Renumber: return std::nullopt;  // as a batch
    }
    if (refused(result.refusal))
        return result;
    if (!result.changed || result.bytes == bytes_)
        return IniEdit{};  // nothing to replace: the file stays as it is, inode and times included
    if (encoding_ == FileEncoding::Cp932 || encoding_ == FileEncoding::Utf8) {
        codepage::Utf8Lines lines;
        if (!codepage::byteOrderMark(codepage::detect(result.bytes, &lines)).empty())
            return std::nullopt;
        if (lines.encoding() != encoding_)
            return refusal(otherEncoding(encoding_));
        result.lines = lines;
    }
    return result;
}

// editAll() for a batch whose first edit renames or deletes a key of a section and whose other
// edits rename and delete keys of that same section, or change the value of a key that is there in
// another section; as when an entry is removed or moved and the later ones take the numbers before
// theirs. The section's key lines that the batch can name (those whose names are numbers, "0" and
// "17" but not "017", and those of the few other names the batch names, such as a name an entry
// is parked under) are listed once, the edits change their names in that list as the batch would
// change its lines, and the new text is written in one pass into one string of its final size.
// Nothing (the batch then does the work, and says why where it refuses) for any other batch, for
// a section with one of those names on two key lines or a line ending in a lone CR (removing the
// line after it could join two lines), and for a file of two-byte units.
std::optional<IniEdit> IniText::editShifts(std::span<const KeyEdit> edits) const
{
    if (unit_ != 1 || edits.empty() || edits.front().kind == KeyEdit::Kind::Set)
        return std::nullopt;
    const std::string& sectionName = edits.front().section;
    if (trimmed(sectionName) != sectionName)
        return std::nullopt;
    const Section* const shifted = findSection(sectionName);
    if (!shifted || shifted->bodyEnd - shifted->header.begin > UINT32_MAX)
        return std::nullopt;
    const std::size_t base = shifted->header.begin;
    const std::string_view all = bytes_;

    // The names of the batch that are no numbers, folded as lookups compare them, each with its
    // number from kNumbers on and the name as written in the file's encoding.
    std::vector<std::pair<std::string, std::string>> others;
    const auto otherName = [&](std::string_view key) -> std::size_t {
        const std::string folded = foldedName(codec_->asStored(key));
        for (std::size_t i = 0; i < others.size(); ++i)
            if (others[i].first == folded)
                return kNumbers + i;
        return kNumbers + others.size();
    };
    for (const KeyEdit& edit : edits) {
        if (edit.kind == KeyEdit::Kind::Set || edit.kind == KeyEdit::Kind::Renumber || edit.section != sectionName)
            continue;
        for (const std::string& key : {std::cref(edit.key), std::cref(edit.text)}) {
            if (edit.kind == KeyEdit::Kind::Delete && &key == &edit.text)
                continue;
            if (numberOfName(key) < kNumbers || otherName(key) < kNumbers + others.size())
                continue;
            const std::optional<std::string> written = codec_->encode(key);
            const auto ascii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
            if (key.empty() || trimmed(key) != key || !std::all_of(key.begin(), key.end(), ascii) || !written ||
                *written != key || others.size() == 8)
                return std::nullopt;
            others.emplace_back(foldedName(codec_->asStored(key)), *written);
        }
    }
    // The number of a name of the batch: the number it is, or one from kNumbers on.
    const auto numberOf = [&](std::string_view key) {
        const std::size_t number = numberOfName(key);
        return number < kNumbers ? number : otherName(key);
    };
    // By number: its line in numbered below, -1 none. Numbers no edit names are not looked for.
    std::vector<std::int32_t> lineOf;
    std::int32_t otherLine[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    for (const KeyEdit& edit : edits) {
        if (edit.kind == KeyEdit::Kind::Renumber) {
            if (!edit.renumbersSome())
                continue;
            if (!edit.renumberable())
                return std::nullopt;  // refused: the batch says why
            const auto highest = static_cast<std::size_t>(std::max(edit.last, edit.last + edit.by));
            if (highest >= kNumbers)
                return std::nullopt;
            if (highest >= lineOf.size())
                lineOf.resize(highest + 1, -1);
        } else if (edit.kind != KeyEdit::Kind::Set) {
            for (const std::string* key : {&edit.key, &edit.text})
                if (const std::size_t number = numberOfName(*key); number < kNumbers && number >= lineOf.size())
                    lineOf.resize(number + 1, -1);
        }
    }
    const auto lineOfNumber = [&](std::size_t number) -> std::int32_t& {
        return number < kNumbers ? lineOf[number] : otherLine[number - kNumbers];
    };

    // The key lines of those names, in order, offsets from base; number -1: removed.
    struct NumberedLine {
        std::uint32_t begin, nameBegin, nameEnd, valueBegin, end, next;
        std::int32_t number, original;
    };
    std::vector<NumberedLine> numbered;
    numbered.reserve((shifted->bodyEnd - base) / 32 + 1);
    std::string name;
    for (std::size_t pos = shifted->header.next; pos < shifted->bodyEnd;) {
        const Line line = lineAt(pos, shifted->bodyEnd);
        pos = line.next;
        if (line.next - line.end == 1 && all[line.end] == '\r')
            return std::nullopt;
        const std::size_t start = skipBlanks(line.begin, line.end);
        if (start >= line.end || unitAt(start) == ';' || unitAt(start) == '[')
            continue;
        const std::size_t equals = find('=', start, line.end);
        if (equals >= line.end)
            continue;
        const std::size_t nameEnd = trimEnd(start, equals);
        name.clear();
        appendName(start, nameEnd, name);
        if (name.empty())
            continue;  // a line without a name is never found by one
        std::size_t number = numberOfName(name);
        if (number >= kNumbers) {
            const auto other = std::find_if(others.begin(), others.end(), [&](const auto& o) { return o.first == name; });
            if (other == others.end())
                continue;
            number = kNumbers + static_cast<std::size_t>(other - others.begin());
        } else if (number >= lineOf.size()) {
            continue;
        }
        if (lineOfNumber(number) >= 0)
            return std::nullopt;
        lineOfNumber(number) = static_cast<std::int32_t>(numbered.size());
        const auto at = [base](std::size_t offset) { return static_cast<std::uint32_t>(offset - base); };
        numbered.push_back({at(line.begin), at(start), at(nameEnd), at(equals + 1), at(line.end), at(line.next),
                            static_cast<std::int32_t>(number), static_cast<std::int32_t>(number)});
    }

    // Values changed in other sections: the bytes each replaces and what it puts there.
    struct Change {
        std::size_t begin, end;
        std::string text;
    };
    std::vector<Change> changes;
    codepage::Utf8Lines lines = lines_;
    const bool watches = encoding_ == FileEncoding::Cp932 || encoding_ == FileEncoding::Utf8;
    const auto count = [&](std::string_view line, bool add) {
        if (watches)
            codepage::countLine(line, lines, add);
    };
    const auto remove = [&](std::int32_t i) {
        NumberedLine& line = numbered[static_cast<std::size_t>(i)];
        count(all.substr(base + line.begin, line.end - line.begin), false);
        lineOfNumber(static_cast<std::size_t>(line.number)) = -1;
        line.number = -1;
    };
    bool changed = false;
    for (const KeyEdit& edit : edits) {
        if (edit.kind == KeyEdit::Kind::Set) {
            if (edit.section == sectionName)
                return std::nullopt;
            PreparedEdit prepared;
            if (IniEdit early; !prepareEdit(edit.section, edit.key, edit.text, prepared, early))
                return std::nullopt;
            const Section* const found = findSection(prepared.sectionName);
            const std::optional<Key> entry = found && found != shifted ? findKey(*found, prepared.keyName) : std::nullopt;
            if (!entry)
                return std::nullopt;
            for (const Change& change : changes)
                if (change.begin == entry->valueBegin)
                    return std::nullopt;  // the same line twice: the second change sees the first
            const Line& line = entry->line;
            count(all.substr(line.begin, line.end - line.begin), false);
            count(std::string(all.substr(line.begin, entry->valueBegin - line.begin)).append(prepared.value), true);
            changes.push_back({entry->valueBegin, line.end, std::move(prepared.value)});
        } else if (edit.section != sectionName) {
            return std::nullopt;
        } else if (edit.kind == KeyEdit::Kind::Renumber) {
            if (!edit.renumbersSome())
                continue;
            // As the Deletes and Renames it stands for, one after the other.
            for (int i = 0; i <= edit.last - edit.first; ++i) {
                const int number = edit.renumberedAt(i);
                const std::int32_t line = lineOfNumber(static_cast<std::size_t>(number));
                if (line < 0)
                    continue;  // nothing to delete
                const NumberedLine& found = numbered[static_cast<std::size_t>(line)];
                const std::string_view content = all.substr(base + found.begin, found.end - found.begin);
                const auto to = static_cast<std::size_t>(number + edit.by);
                if (holdsNothing(content, found.valueBegin - found.begin)) {
                    remove(line);
                } else {
                    if (lineOfNumber(to) >= 0)
                        remove(lineOfNumber(to));
                    lineOfNumber(static_cast<std::size_t>(number)) = -1;
                    lineOfNumber(to) = line;
                    numbered[static_cast<std::size_t>(line)].number = static_cast<std::int32_t>(to);
                }
                changed = true;
                if (watches && lines.encoding() != encoding_)
                    return refusal(otherEncoding(encoding_));
            }
            continue;
        } else if (edit.kind == KeyEdit::Kind::Delete) {
            const std::size_t key = numberOf(edit.key);
            PreparedEdit prepared;
            if (IniEdit early; !prepareEdit(edit.section, edit.key, std::nullopt, prepared, early))
                return std::nullopt;
            if (lineOfNumber(key) < 0)
                continue;  // nothing to delete
            remove(lineOfNumber(key));
        } else {
            const std::size_t from = numberOf(edit.key);
            const std::size_t to = numberOf(edit.text);
            if (refused(keyNameProblem(edit.text)) || lineOfNumber(from) < 0)
                return std::nullopt;
            if (from == to)
                continue;  // the same key: nothing changes
            // A line of the new name goes, as a write there would have replaced it.
            if (lineOfNumber(to) >= 0)
                remove(lineOfNumber(to));
            const std::int32_t line = lineOfNumber(from);
            // The line's count stays: every name here is ASCII (a name that reads as ASCII is
            // stored as ASCII), and ASCII in place of ASCII, between blanks or a line start and
            // "=", leaves the line ASCII or not, and UTF-8 or not, as it was.
            lineOfNumber(from) = -1;
            lineOfNumber(to) = line;
            numbered[static_cast<std::size_t>(line)].number = static_cast<std::int32_t>(to);
        }
        changed = true;
        if (watches && lines.encoding() != encoding_)
            return refusal(otherEncoding(encoding_));
    }
    if (!changed)
        return IniEdit{};

    // The new text, of a size counted first so that it is allocated once.
    char digits[8];
    const auto digitsOf = [&](std::int32_t number) {
        if (static_cast<std::size_t>(number) >= kNumbers)
            return std::string_view(others[static_cast<std::size_t>(number) - kNumbers].second);
        return std::string_view(digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, number).ptr - digits));
    };
    std::size_t size = all.size();
    for (const NumberedLine& line : numbered) {
        if (line.number < 0)
            size -= line.next - line.begin;
        else if (line.number != line.original)
            size = size - (line.nameEnd - line.nameBegin) + digitsOf(line.number).size();
    }
    for (const Change& change : changes)
        size = size - (change.end - change.begin) + change.text.size();
    std::sort(changes.begin(), changes.end(), [](const Change& a, const Change& b) { return a.begin < b.begin; });
    std::string text;
    text.reserve(size);
    std::size_t done = 0;
    const auto replace = [&](std::size_t begin, std::size_t end, std::string_view with) {
        text.append(all.substr(done, begin - done)).append(with);
        done = end;
    };
    auto change = changes.begin();
    for (; change != changes.end() && change->begin < base; ++change)
        replace(change->begin, change->end, change->text);
    for (const NumberedLine& line : numbered) {
        if (line.number < 0)
            replace(base + line.begin, base + line.next, {});
        else if (line.number != line.original)
            replace(base + line.nameBegin, base + line.nameEnd, digitsOf(line.number));
    }
    for (; change != changes.end(); ++change)
        replace(change->begin, change->end, change->text);
    text.append(all.substr(done));
    return madeText(std::move(text), watches ? std::optional(lines) : std::nullopt);
}

}  // namespace dovi
