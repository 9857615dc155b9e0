// The text encodings of a settings file at the file's edge: which encoding a file has, and turning
// its bytes into UTF-8 and back. Everything inside the program is UTF-8.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "settings/encoding.h"

struct UConverter;

namespace dovi::codepage {

// The encoding of a file that starts with bytes: a UTF-8 mark gives Utf8Bom, a UTF-16 mark Utf16Le
// or Utf16Be; without a mark, a file is Utf8 when more of its lines that hold a non-ASCII byte
// are valid UTF-8 than are not (lines end at CR or LF); everything else (plain ASCII, Shift-JIS,
// garbage, an empty file) is Cp932.
FileEncoding detect(std::string_view bytes);

// The lines of a file without a mark that decide between Utf8 and Cp932: those holding a non-ASCII
// byte that are valid UTF-8 and those that are not. A file is Utf8 when valid > invalid.
struct Utf8Lines {
    std::size_t valid = 0;
    std::size_t invalid = 0;
    FileEncoding encoding() const { return valid > invalid ? FileEncoding::Utf8 : FileEncoding::Cp932; }
};

// detect(), and for a file without a mark also its counted lines in *lines.
FileEncoding detect(std::string_view bytes, Utf8Lines* lines);

// What one line (without its line end) adds to the counts: 0 when it is plain ASCII, +1 to valid
// or to invalid otherwise. So that a change of a few lines can update the counts of a whole file.
void countLine(std::string_view line, Utf8Lines& lines, bool add);

// The length in bytes of the byte-order mark that a file of this encoding starts with (0 for Cp932
// and Utf8, 3 for Utf8Bom, 2 for UTF-16) and the mark itself.
std::string_view byteOrderMark(FileEncoding encoding);

// 1 for the byte encodings, 2 for UTF-16: lines, blanks and the ASCII marks of the file layout
// take one unit of this many bytes each.
std::size_t unitSize(FileEncoding encoding);

// How a person calls the encoding in a message: "Shift-JIS", "UTF-8" or "UTF-16".
std::string_view displayName(FileEncoding encoding);

// True if text is well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool isValidUtf8(std::string_view text);

// The number of leading bytes of raw (text in the given encoding) that hold whole characters and
// fit in limit bytes: the longest prefix that does not split a double-byte Shift-JIS character, a
// UTF-8 sequence or a UTF-16 surrogate pair. Bytes that form no character count as one each.
std::size_t cutLength(std::string_view raw, FileEncoding encoding, std::size_t limit);

// "U+20BB7": the code point in the usual notation, at least four hex digits.
std::string codePointName(char32_t c);

// Converts between one file encoding (without its mark) and UTF-8, through ICU's converters with
// the STOP callback, so that nothing is replaced or lost without the caller knowing. Shift-JIS is
// Windows code page 932 (ICU's "windows-31j", with the NEC and IBM extensions), not the
// differing JIS table that glibc calls SHIFT_JIS. Keep one Codec for many conversions: opening a
// converter costs far more than converting a short line.
class Codec {
public:
    explicit Codec(FileEncoding encoding);
    ~Codec();
    Codec(const Codec&) = delete;
    Codec& operator=(const Codec&) = delete;

    // raw as UTF-8. Each undecodable byte sequence becomes U+FFFD and sets *damaged (if given).
    std::string decode(std::string_view raw, bool* damaged = nullptr);
    // The same text appended to out, so that many values can share one buffer.
    void decodeAppend(std::string_view raw, std::string& out, bool* damaged = nullptr);
    // The same text written to out, which has room for 3 * raw.size() + 3 bytes (no text is
    // longer); returns its size.
    std::size_t decodeInto(std::string_view raw, char* out);

    // utf8 (which must be valid UTF-8) in the file's encoding, or nullopt when a character has no
    // place in it; *unmappable then holds the first such character. For Shift-JIS, the seven
    // characters that Linux input methods type in place of Windows' ～ − ∥ ￠ ￡ ￢ ― (U+301C,
    // U+2212, U+2016, U+00A2, U+00A3, U+00AC, U+2014) are stored under the Windows codes of those.
    std::optional<std::string> encode(std::string_view utf8, char32_t* unmappable = nullptr);

    // utf8 as it reads back after encode(): for Shift-JIS with those seven characters replaced by
    // the Windows code points they are stored under; for the other encodings utf8 itself.
    std::string asStored(std::string_view utf8) const;

    FileEncoding encoding() const { return encoding_; }

private:
    // What the converter makes of one character's bytes in code page 932: its UTF-8 (at most three
    // bytes for each byte it takes, U+FFFD for a bad sequence), and whether the bytes were bad.
    // consumed is 0 while not known yet.
    struct Piece {
        unsigned char consumed = 0;  // 1: the lead byte alone (the next byte starts anew); 2: both
        unsigned char size = 0;
        bool damaged = false;
        char utf8[5] = {};
    };
    struct Cp932Table;

    void decodeWithConverter(std::string_view raw, std::string& out, bool* damaged);
    std::size_t decodeThroughTable(std::string_view raw, char* out, bool* damaged);
    bool fillTable();
    void fillRow(unsigned lead);

    FileEncoding encoding_;
    UConverter* converter_ = nullptr;
    // Shift-JIS decoded through a table taken from the converter itself, one piece at a time, so
    // that a value costs no call into the converter: each single byte once, and the 256 pairs of a
    // lead byte when the first of them is met. Null until the first value beyond ASCII.
    std::unique_ptr<Cp932Table> table_;
    // decode()'s UTF-16 between the two conversions, kept so that it is not allocated and
    // zero-filled again for each value; it only grows.
    std::u16string units_;
    std::string utf8_;  // likewise for the UTF-8 it gives
    std::string scratch_;  // decodeInto()'s text where it goes through a string
};

}  // namespace dovi::codepage
