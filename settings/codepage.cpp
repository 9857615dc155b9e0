#include "settings/codepage.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace dovi::codepage {

namespace {

constexpr std::size_t npos = std::string::npos;

// The length of the well-formed UTF-8 sequence that starts at text[i], or 0 if none starts there.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // no overlong forms
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    return length;
}

bool isAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool isCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isCp932Trail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

bool isHighSurrogate(unsigned u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(unsigned u) { return u >= 0xDC00 && u <= 0xDFFF; }

bool isByteEncoding(FileEncoding encoding)
{
    return encoding == FileEncoding::Cp932 || encoding == FileEncoding::Utf8 || encoding == FileEncoding::Utf8Bom;
}

const char* converterName(FileEncoding encoding)
{
    switch (encoding) {
    case FileEncoding::Cp932: return "windows-31j";
    case FileEncoding::Utf8:
    case FileEncoding::Utf8Bom: return "UTF-8";
    case FileEncoding::Utf16Le: return "UTF-16LE";
    case FileEncoding::Utf16Be: return "UTF-16BE";
    }
    return "windows-31j";
}

// Characters that Linux input methods type for keys that give other code points on Windows: code
// page 932 maps these JIS codes to the Windows code points only. Written into a Shift-JIS file,
// each is stored under the JIS code Windows uses for it, and so reads back as the Windows code
// point. UTF-8 on both sides.
struct WindowsVariant {
    std::string_view typed;
    std::string_view windows;
};
constexpr WindowsVariant kWindowsVariants[] = {
    {"\xE3\x80\x9C", "\xEF\xBD\x9E"},  // U+301C WAVE DASH -> U+FF5E FULLWIDTH TILDE, 0x8160
    {"\xE2\x88\x92", "\xEF\xBC\x8D"},  // U+2212 MINUS SIGN -> U+FF0D FULLWIDTH HYPHEN-MINUS, 0x817C
    {"\xE2\x80\x96", "\xE2\x88\xA5"},  // U+2016 DOUBLE VERTICAL LINE -> U+2225 PARALLEL TO, 0x8161
    {"\xC2\xA2", "\xEF\xBF\xA0"},      // U+00A2 CENT SIGN -> U+FFE0 FULLWIDTH CENT SIGN, 0x8191
    {"\xC2\xA3", "\xEF\xBF\xA1"},      // U+00A3 POUND SIGN -> U+FFE1 FULLWIDTH POUND SIGN, 0x8192
    {"\xC2\xAC", "\xEF\xBF\xA2"},      // U+00AC NOT SIGN -> U+FFE2 FULLWIDTH NOT SIGN, 0x81CA
    {"\xE2\x80\x94", "\xE2\x80\x95"},  // U+2014 EM DASH -> U+2015 HORIZONTAL BAR, 0x815C
};

// utf8 with each typed variant replaced by its Windows code point.
std::string withWindowsVariants(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        bool replaced = false;
        for (const WindowsVariant& variant : kWindowsVariants) {
            if (utf8.substr(i).starts_with(variant.typed)) {
                out += variant.windows;
                i += variant.typed.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += utf8[i++];
    }
    return out;
}

// The first character of utf8 where back parts from it.
char32_t firstDifference(std::string_view utf8, std::string_view back)
{
    std::size_t i = 0;
    while (i < utf8.size() && i < back.size() && utf8[i] == back[i])
        ++i;
    if (i == utf8.size() && i > 0)
        --i;
    while (i > 0 && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80)
        --i;
    const auto byte = [&](std::size_t k) { return char32_t{static_cast<unsigned char>(utf8[k])}; };
    const std::size_t length = std::max<std::size_t>(utf8SequenceLength(utf8, i), 1);
    char32_t c = length == 1 ? byte(i) : byte(i) & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k)
        c = c << 6 | (byte(i + k) & 0x3F);
    return c;
}

}  // namespace

FileEncoding detect(std::string_view bytes) { return detect(bytes, nullptr); }

void countLine(std::string_view line, Utf8Lines& lines, bool add)
{
    if (isAscii(line))
        return;
    std::size_t& count = isValidUtf8(line) ? lines.valid : lines.invalid;
    count = add ? count + 1 : count - 1;
}

FileEncoding detect(std::string_view bytes, Utf8Lines* lines)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return FileEncoding::Utf8Bom;
    if (bytes.starts_with("\xFF\xFE"))
        return FileEncoding::Utf16Le;
    if (bytes.starts_with("\xFE\xFF"))
        return FileEncoding::Utf16Be;
    // Decided once for the whole file, line by line: a file written as UTF-8 that got one line from
    // a Shift-JIS editor (or one stray byte) is still UTF-8, so its sections are found and its
    // other lines read right; the odd line reads with U+FFFD and keeps its bytes. Lines end at LF
    // or CR, as the reader splits them. Shift-JIS text seldom forms valid UTF-8 for a whole line
    // (its double-byte characters mostly start with bytes that UTF-8 never starts a character
    // with), so a Shift-JIS file has a majority of lines that are not. A tie stays Shift-JIS, as
    // the file read before lines were counted.
    //
    // One pass that counts exactly what countLine() counts for each line: the bytes are looked at
    // sixteen at a time (eight without SSE2) for a line end and a byte from 0x80, and only a line
    // with a byte from 0x80 is checked as UTF-8.
    Utf8Lines counted;
    const char* const data = bytes.data();
    const std::size_t size = bytes.size();
    const auto countFrom = [&](std::size_t begin, std::size_t end) {
        std::size_t& count = isValidUtf8(bytes.substr(begin, end - begin)) ? counted.valid : counted.invalid;
        ++count;
    };
    std::size_t begin = 0;
    bool high = false;  // whether the line from begin has a byte from 0x80 so far
    for (std::size_t i = 0; i < size;) {
#ifdef __SSE2__
        if (size - i >= 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('\n')),
                                              _mm_cmpeq_epi8(block, _mm_set1_epi8('\r')));
            const auto endBits = static_cast<unsigned>(_mm_movemask_epi8(ends));     // bit k: byte i + k
            const auto highBits = static_cast<unsigned>(_mm_movemask_epi8(block));
            if (endBits == 0) {
                high = high || highBits != 0;
                i += 16;
                continue;
            }
            // Up to the first line end, which the code below takes.
            const auto first = static_cast<unsigned>(__builtin_ctz(endBits));  // in [0, 15]
            high = high || (highBits & ((1u << first) - 1)) != 0;
            i += first;
        }
#else
        constexpr std::uint64_t kOnes = 0x0101010101010101u;
        constexpr std::uint64_t kHighs = 0x8080808080808080u;
        const auto hasZeroByte = [](std::uint64_t word) { return ((word - kOnes) & ~word & kHighs) != 0; };
        if (size - i >= 8) {
            std::uint64_t word;
            std::memcpy(&word, data + i, 8);
            if (!hasZeroByte(word ^ (kOnes * '\n')) && !hasZeroByte(word ^ (kOnes * '\r'))) {
                high = high || (word & kHighs) != 0;
                i += 8;
                continue;
            }
        }
#endif
        const char c = data[i];
        if (c == '\n' || c == '\r') {
            if (high)
                countFrom(begin, i);
            begin = i + 1;
            high = false;
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            high = true;
        }
        ++i;
    }
    if (high)
        countFrom(begin, size);
    if (lines)
        *lines = counted;
    return counted.encoding();
}

std::string_view byteOrderMark(FileEncoding encoding)
{
    switch (encoding) {
    case FileEncoding::Utf8Bom: return "\xEF\xBB\xBF";
    case FileEncoding::Utf16Le: return "\xFF\xFE";
    case FileEncoding::Utf16Be: return "\xFE\xFF";
    default: return {};
    }
}

std::size_t unitSize(FileEncoding encoding) { return isByteEncoding(encoding) ? 1 : 2; }

std::string_view displayName(FileEncoding encoding)
{
    switch (encoding) {
    case FileEncoding::Cp932: return "Shift-JIS";
    case FileEncoding::Utf8:
    case FileEncoding::Utf8Bom: return "UTF-8";
    default: return "UTF-16";
    }
}

bool isValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::size_t cutLength(std::string_view raw, FileEncoding encoding, std::size_t limit)
{
    if (raw.size() <= limit)
        return raw.size();  // no character reaches past the end of raw
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(raw[k]); };
    std::size_t i = 0;
    while (i < raw.size()) {
        std::size_t step = 1;
        if (encoding == FileEncoding::Cp932) {
            if (isCp932Lead(byte(i)) && i + 1 < raw.size() && isCp932Trail(byte(i + 1)))
                step = 2;
        } else if (isByteEncoding(encoding)) {
            step = std::max<std::size_t>(utf8SequenceLength(raw, i), 1);
        } else if (i + 1 < raw.size()) {
            const bool le = encoding == FileEncoding::Utf16Le;
            const auto unitAt = [&](std::size_t k) {
                return le ? byte(k) | unsigned{byte(k + 1)} << 8 : unsigned{byte(k)} << 8 | byte(k + 1);
            };
            step = 2;
            if (isHighSurrogate(unitAt(i)) && i + 3 < raw.size() && isLowSurrogate(unitAt(i + 2)))
                step = 4;
        }
        if (i + step > limit)
            break;
        i += step;
    }
    return i;
}

std::string codePointName(char32_t c)
{
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

struct Codec::Cp932Table {
    std::array<Piece, 256> single{};
    std::array<std::unique_ptr<Piece[]>, 128> rows{};  // by lead byte 0x80..0xFF, then by second byte
    std::array<bool, 128> same{};  // a byte below 0x80 that reads as itself
    bool usable = true;     // every piece fits; otherwise the converter decodes every value
};

Codec::Codec(FileEncoding encoding) : encoding_(encoding)
{
    UErrorCode status = U_ZERO_ERROR;
    converter_ = ucnv_open(converterName(encoding), &status);
    if (U_FAILURE(status)) {
        converter_ = nullptr;
        return;
    }
    ucnv_setToUCallBack(converter_, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(converter_, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    // A converter that would substitute silently is worse than none: without the STOP callbacks a
    // character with no code would be stored as a substitute byte. With no converter, decoding gives
    // U+FFFD and encoding refuses, which callers already handle.
    if (U_FAILURE(status)) {
        ucnv_close(converter_);
        converter_ = nullptr;
    }
}

Codec::~Codec()
{
    if (converter_)
        ucnv_close(converter_);
}

std::string Codec::decode(std::string_view raw, bool* damaged)
{
    std::string text;
    decodeAppend(raw, text, damaged);
    return text;
}

void Codec::decodeAppend(std::string_view raw, std::string& out, bool* damaged)
{
    // Plain ASCII reads the same in both byte encodings, and valid UTF-8 needs no conversion.
    if (isByteEncoding(encoding_) && (isAscii(raw) || (encoding_ != FileEncoding::Cp932 && isValidUtf8(raw)))) {
        out.append(raw);
        return;
    }
    if (!converter_) {
        if (damaged)
            *damaged = true;
        out.append("\xEF\xBF\xBD");
        return;
    }
    if (encoding_ == FileEncoding::Cp932 && fillTable()) {
        const std::size_t start = out.size();
        out.resize(start + 3 * raw.size() + 1);  // the one byte more that decodeThroughTable may write
        const std::size_t size = decodeThroughTable(raw, out.data() + start, damaged);
        out.resize(start + (size == npos ? 0 : size));
        if (size != npos)
            return;
    }
    decodeWithConverter(raw, out, damaged);
}

std::size_t Codec::decodeInto(std::string_view raw, char* out)
{
    if (encoding_ == FileEncoding::Cp932 && !isAscii(raw) && converter_ && fillTable())
        if (const std::size_t size = decodeThroughTable(raw, out, nullptr); size != npos)
            return size;
    std::string& text = scratch_;
    text.clear();
    decodeAppend(raw, text);
    std::memcpy(out, text.data(), text.size());
    return text.size();
}

// Code page 932 has characters of one or two bytes and no state: the converter reads each
// character from its lead byte and the byte after it alone, so the pieces read the same. Writes at
// most three bytes per byte of raw to out, and may write one byte after them (each piece is copied
// as four bytes, which costs less than a copy of its own size); returns their number, or npos
// when the table turns out not to stand for the converter.
std::size_t Codec::decodeThroughTable(std::string_view raw, char* out, bool* damaged)
{
    Cp932Table& table = *table_;
    char* to = out;
    bool bad = false;
    const auto byteAt = [&](std::size_t k) { return static_cast<unsigned char>(raw[k]); };
    for (std::size_t i = 0; i < raw.size();) {
        const unsigned char lead = byteAt(i);
        if (lead < 0x80 && table.same[lead]) {
            *to++ = static_cast<char>(lead);
            ++i;
            continue;
        }
        const Piece* piece = &table.single[lead];
        if (lead >= 0x80 && i + 1 < raw.size()) {
            std::unique_ptr<Piece[]>& row = table.rows[lead - 0x80];
            if (!row) {
                fillRow(lead);
                if (!table.usable)
                    return npos;
            }
            const Piece& pair = row[byteAt(i + 1)];
            if (pair.consumed == 2)
                piece = &pair;
        }
        std::memcpy(to, piece->utf8, 4);
        to += piece->size;
        i += piece->consumed;
        bad = bad || piece->damaged;
    }
    if (bad && damaged)
        *damaged = true;
    return static_cast<std::size_t>(to - out);
}

// The pieces of the single bytes; false when the table cannot stand for the converter.
bool Codec::fillTable()
{
    if (table_)
        return table_->usable;
    table_ = std::make_unique<Cp932Table>();
    Cp932Table& table = *table_;
    std::string text;
    for (unsigned byte = 0; byte < 256; ++byte) {
        const char raw = static_cast<char>(byte);
        bool bad = false;
        text.clear();
        decodeWithConverter(std::string_view(&raw, 1), text, &bad);
        Piece& piece = table.single[byte];
        if (text.empty() || text.size() > 3) {
            table.usable = false;
            return false;
        }
        piece.consumed = 1;
        piece.size = static_cast<unsigned char>(text.size());
        piece.damaged = bad;
        std::memcpy(piece.utf8, text.data(), text.size());
        if (byte < 0x80)
            table.same[byte] = text.size() == 1 && text[0] == raw;
    }
    return true;
}

// The pieces of lead followed by each byte: where the converter reads the two bytes as the two
// single bytes, the lead byte stands alone (consumed 1); otherwise they are one piece.
void Codec::fillRow(unsigned lead)
{
    Cp932Table& table = *table_;
    auto row = std::make_unique<Piece[]>(256);
    std::string text;
    for (unsigned second = 0; second < 256; ++second) {
        const char raw[2] = {static_cast<char>(lead), static_cast<char>(second)};
        bool bad = false;
        text.clear();
        decodeWithConverter(std::string_view(raw, 2), text, &bad);
        const Piece& first = table.single[lead];
        const Piece& next = table.single[second];
        const bool apart = text.size() == std::size_t{first.size} + next.size &&
                           text.compare(0, first.size, first.utf8, first.size) == 0 &&
                           text.compare(first.size, next.size, next.utf8, next.size) == 0 &&
                           bad == (first.damaged || next.damaged);
        Piece& piece = row[second];
        if (apart) {
            piece.consumed = 1;
            continue;
        }
        if (text.size() > 5) {
            table.usable = false;
            return;
        }
        piece.consumed = 2;
        piece.size = static_cast<unsigned char>(text.size());
        piece.damaged = bad;
        std::memcpy(piece.utf8, text.data(), text.size());
    }
    table.rows[lead - 0x80] = std::move(row);
}

void Codec::decodeWithConverter(std::string_view raw, std::string& out, bool* damaged)
{
    ucnv_resetToUnicode(converter_);
    // Every input byte gives at most one UTF-16 unit (a 4-byte UTF-8 sequence gives two); one more
    // per error for U+FFFD, so the buffer only grows when the input is mostly garbage.
    std::u16string& units = units_;
    if (units.size() < raw.size() + 16)
        units.resize(raw.size() + 16);
    char16_t* target = units.data();
    const char* source = raw.data();
    const char* const sourceEnd = raw.data() + raw.size();
    for (;;) {
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter_, &target, units.data() + units.size(), &source, sourceEnd, nullptr, true, &status);
        if (U_SUCCESS(status))
            break;
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            const std::ptrdiff_t used = target - units.data();
            units.resize(units.size() * 2);
            target = units.data() + used;
            continue;
        }
        // STOP left the source just past the bad sequence: mark it and go on with the rest.
        if (damaged)
            *damaged = true;
        if (target == units.data() + units.size()) {
            const std::ptrdiff_t used = target - units.data();
            units.resize(units.size() * 2);
            target = units.data() + used;
        }
        *target++ = u'\uFFFD';
        ucnv_resetToUnicode(converter_);
    }
    const std::size_t count = static_cast<std::size_t>(target - units.data());
    // Each UTF-16 unit gives at most three bytes of UTF-8 (a surrogate pair four for two units).
    if (utf8_.size() < count * 3)
        utf8_.resize(count * 3);
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8(utf8_.data(), static_cast<int32_t>(utf8_.size()), &length, units.data(), static_cast<int32_t>(count),
                &status);
    if (U_SUCCESS(status))
        out.append(utf8_.data(), static_cast<std::size_t>(length));
}

std::string Codec::asStored(std::string_view utf8) const
{
    if (encoding_ != FileEncoding::Cp932 || isAscii(utf8))
        return std::string(utf8);
    return withWindowsVariants(utf8);
}

std::optional<std::string> Codec::encode(std::string_view utf8, char32_t* unmappable)
{
    if (isByteEncoding(encoding_) && (encoding_ != FileEncoding::Cp932 || isAscii(utf8)))
        return std::string(utf8);
    if (!converter_)
        return std::nullopt;
    const std::string windows = encoding_ == FileEncoding::Cp932 ? withWindowsVariants(utf8) : std::string();
    if (encoding_ == FileEncoding::Cp932)
        utf8 = windows;
    std::u16string units(utf8.size() + 1, u'\0');
    int32_t unitCount = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(units.data(), static_cast<int32_t>(units.size()), &unitCount, utf8.data(),
                  static_cast<int32_t>(utf8.size()), &status);
    if (U_FAILURE(status))
        return std::nullopt;
    ucnv_resetFromUnicode(converter_);
    std::string out(static_cast<std::size_t>(unitCount) * 4 + 16, '\0');
    char* target = out.data();
    const char16_t* source = units.data();
    status = U_ZERO_ERROR;
    ucnv_fromUnicode(converter_, &target, out.data() + out.size(), &source, units.data() + unitCount, nullptr,
                     true, &status);
    if (U_FAILURE(status)) {
        if (unmappable) {
            char16_t bad[4] = {};
            int8_t badLength = 4;
            UErrorCode ignored = U_ZERO_ERROR;
            ucnv_getInvalidUChars(converter_, bad, &badLength, &ignored);
            *unmappable = badLength >= 2 && isHighSurrogate(bad[0]) && isLowSurrogate(bad[1])
                              ? 0x10000 + ((char32_t{bad[0]} - 0xD800) << 10) + (char32_t{bad[1]} - 0xDC00)
                              : char32_t{bad[0]};
        }
        ucnv_resetFromUnicode(converter_);
        return std::nullopt;
    }
    out.resize(static_cast<std::size_t>(target - out.data()));
    // A few characters convert without a stop yet do not come back (the converter drops U+FEFF,
    // for one): they have no place in the file either.
    const std::string back = decode(out);
    if (back != utf8) {
        if (unmappable)
            *unmappable = firstDifference(utf8, back);
        return std::nullopt;
    }
    return out;
}

}  // namespace dovi::codepage
