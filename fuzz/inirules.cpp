// The settings file's layout rules, restated apart from the code under test, for the fuzz checks.
#include "fuzz/inirules.h"

#include <algorithm>
#include <set>

#include "settings/codepage.h"

namespace dovi::fuzz {

// The length of the well-formed UTF-8 sequence at text[i], 0 if none (RFC 3629, table 3-7 of
// the Unicode standard).
std::size_t sequenceAt(std::string_view text, std::size_t i)
{
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned lead = b(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (lead == 0xE0)
        low = 0xA0;
    if (lead == 0xED)
        high = 0x9F;
    if (lead == 0xF0)
        low = 0x90;
    if (lead == 0xF4)
        high = 0x8F;
    if (i + length > text.size() || b(i + 1) < low || b(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (b(i + k) < 0x80 || b(i + k) > 0xBF)
            return 0;
    return length;
}

bool validUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = sequenceAt(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

bool isAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

FileEncoding expectedEncoding(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return FileEncoding::Utf8Bom;
    if (bytes.starts_with("\xFF\xFE"))
        return FileEncoding::Utf16Le;
    if (bytes.starts_with("\xFE\xFF"))
        return FileEncoding::Utf16Be;
    // One vote per line with a non-ASCII byte (a line ends at CR or at LF): valid UTF-8 or not;
    // a tie is Shift-JIS.
    int votes = 0;
    std::string line;
    const auto vote = [&] {
        if (!isAscii(line))
            votes += validUtf8(line) ? 1 : -1;
        line.clear();
    };
    for (const char c : bytes) {
        if (c == '\r' || c == '\n')
            vote();
        else
            line += c;
    }
    vote();
    return votes > 0 ? FileEncoding::Utf8 : FileEncoding::Cp932;
}

std::size_t markLength(FileEncoding encoding)
{
    switch (encoding) {
    case FileEncoding::Utf8Bom: return 3;
    case FileEncoding::Utf16Le:
    case FileEncoding::Utf16Be: return 2;
    default: return 0;
    }
}

bool isUtf16(FileEncoding encoding) { return encoding == FileEncoding::Utf16Le || encoding == FileEncoding::Utf16Be; }

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string folded(std::string_view name)
{
    std::string out(trimmed(name));
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string upper(std::string_view name)
{
    std::string out(name);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// A value as reading gives it back, before the length limit: blanks around it dropped, then one
// pair of matching quotes around all of it.
std::string_view unquoted(std::string_view raw)
{
    std::string_view value = trimmed(raw);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

// ---- Lines, as the layout splits them, in units of 1 or 2 bytes. ----

unsigned unitAt(std::string_view bytes, std::size_t pos, FileEncoding encoding)
{
    const auto b = [&](std::size_t k) { return unsigned{static_cast<unsigned char>(bytes[k])}; };
    if (!isUtf16(encoding))
        return b(pos);
    return encoding == FileEncoding::Utf16Le ? b(pos) | b(pos + 1) << 8 : b(pos) << 8 | b(pos + 1);
}

// Lines end at LF, CR LF or a lone CR. In UTF-16 an odd last byte is part of the last line.
Layout splitLines(std::string_view bytes, FileEncoding encoding)
{
    Layout layout;
    const std::size_t unit = isUtf16(encoding) ? 2 : 1;
    std::size_t pos = std::min(markLength(encoding), bytes.size());
    layout.mark = std::string(bytes.substr(0, pos));
    while (pos < bytes.size()) {
        std::size_t end = bytes.size(), next = bytes.size();
        for (std::size_t i = pos; i + unit <= bytes.size(); i += unit) {
            const unsigned u = unitAt(bytes, i, encoding);
            if (u == '\n') {
                end = i;
                next = i + unit;
                break;
            }
            if (u == '\r') {
                end = i;
                next = i + 2 * unit <= bytes.size() && unitAt(bytes, i + unit, encoding) == '\n' ? i + 2 * unit
                                                                                                : i + unit;
                break;
            }
        }
        layout.lines.push_back({std::string(bytes.substr(pos, end - pos)), std::string(bytes.substr(end, next - end))});
        pos = next;
    }
    return layout;
}

// The offset of the first "=" unit in a line's content, or npos.
std::size_t equalsIn(std::string_view content, FileEncoding encoding)
{
    const std::size_t unit = isUtf16(encoding) ? 2 : 1;
    for (std::size_t i = 0; i + unit <= content.size(); i += unit)
        if (unitAt(content, i, encoding) == '=')
            return i;
    return std::string_view::npos;
}

// ---- Names found in a file, decoded, for reads and writes that hit existing sections and keys. ----

std::vector<std::string_view> textLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
        lines.push_back(text.substr(pos, end - pos));
        pos = end + (text.substr(end).starts_with("\r\n") ? 2 : 1);
    }
    return lines;
}

std::string decodedText(std::string_view bytes, FileEncoding encoding)
{
    codepage::Codec codec(encoding);
    return codec.decode(bytes.substr(std::min(markLength(encoding), bytes.size())));
}

namespace {

// What one line of the layout is: a section line (name between "[" and the first "]"), a key line
// (name before the first "=", value after it), or neither (blank, comment, anything else).
struct LineShape {
    enum class Kind { Other, Section, Key } kind = Kind::Other;
    std::string_view name;
    std::string_view value;
};

LineShape shapeOf(std::string_view line)
{
    while (!line.empty() && isBlank(line.front()))
        line.remove_prefix(1);
    if (line.empty() || line.front() == ';')
        return {};
    if (line.front() == '[') {
        const std::size_t close = line.find(']');
        if (close == std::string_view::npos)
            return {};
        return {LineShape::Kind::Section, line.substr(1, close - 1), {}};
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return {};
    return {LineShape::Kind::Key, line.substr(0, equals), line.substr(equals + 1)};
}

}  // namespace

Names namesIn(std::string_view text, std::size_t maxSections, std::size_t maxKeys)
{
    Names names;
    std::optional<std::string> current;
    for (std::string_view line : textLines(text)) {
        const LineShape shape = shapeOf(line);
        if (shape.kind == LineShape::Kind::Section) {
            current = std::string(shape.name);
            if (names.sections.size() < maxSections)
                names.sections.push_back(*current);
        } else if (shape.kind == LineShape::Kind::Key) {
            if (names.allKeys.size() < maxKeys)
                names.allKeys.emplace_back(shape.name);
            if (current && names.keys.size() < maxKeys)
                names.keys.emplace_back(*current, std::string(shape.name));
        }
    }
    return names;
}

// ---- The reading rules for files whose layout is plain UTF-8 text (ASCII, UTF-8). ----

// The longest prefix of whole UTF-8 characters in at most kValueLimit bytes (bytes that form
// no character count one each), then up to the first NUL.
std::string limited(std::string_view value)
{
    std::size_t i = 0;
    while (i < value.size()) {
        const std::size_t step = std::max<std::size_t>(sequenceAt(value, i), 1);
        if (i + step > kValueLimit)
            break;
        i += step;
    }
    std::string out(value.substr(0, i));
    out.resize(std::min(out.find('\0'), out.size()));
    return out;
}

// What read(section, key) returns for text: the first key line of that name in the first copy of
// the section, "0" when there is none or a name is empty.
std::string referenceRead(std::string_view text, std::string_view section, std::string_view key)
{
    const std::string wantSection = folded(section), wantKey = folded(key);
    if (wantSection.empty() || wantKey.empty())
        return "0";
    std::set<std::string> seen;
    bool inSection = false;
    for (std::string_view line : textLines(text)) {
        const LineShape shape = shapeOf(line);
        if (shape.kind == LineShape::Kind::Section) {
            const std::string name = folded(shape.name);
            inSection = seen.insert(name).second && name == wantSection;
        } else if (shape.kind == LineShape::Kind::Key && inSection && folded(shape.name) == wantKey) {
            return limited(unquoted(shape.value));
        }
    }
    return "0";
}

}  // namespace dovi::fuzz
