// The settings file's layout rules, restated for the fuzz checks without the code under test:
// encoding detection, UTF-8 validity, line splitting, and what a read gives for a file whose
// layout is plain UTF-8 text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/settingsfile.h"

namespace dovi::fuzz {

// The longest value a read gives back, in bytes of the file's encoding.
inline constexpr std::size_t kValueLimit = 1022;

// The length of the well-formed UTF-8 sequence at text[i], 0 if none starts there.
std::size_t sequenceAt(std::string_view text, std::size_t i);
bool validUtf8(std::string_view text);
bool isAscii(std::string_view text);

// A UTF-8 or UTF-16 mark gives its encoding; else Utf8 when more lines with a non-ASCII byte are
// valid UTF-8 than not; anything else is Cp932.
FileEncoding expectedEncoding(std::string_view bytes);
std::size_t markLength(FileEncoding encoding);  // 3, 2 or 0 bytes
bool isUtf16(FileEncoding encoding);

std::string_view trimmed(std::string_view text);  // without blanks (space, tab) around it
std::string folded(std::string_view name);        // trimmed, ASCII letters in lower case
std::string upper(std::string_view name);         // ASCII letters in upper case
// A value as a read gives it back, before the length limit: trimmed, then without one pair of
// matching quotes around all of it.
std::string_view unquoted(std::string_view raw);

// One line of a file: its text and its line end (LF, CR LF, a lone CR, or none on the last line).
struct Line {
    std::string content;
    std::string end;
};

struct Layout {
    std::string mark;  // the byte-order mark
    std::vector<Line> lines;
};

// The code unit (1 or 2 bytes by encoding) at pos; pos + unit must lie within bytes.
unsigned unitAt(std::string_view bytes, std::size_t pos, FileEncoding encoding);
// The file's lines, split in code units. In UTF-16 an odd last byte is part of the last line.
Layout splitLines(std::string_view bytes, FileEncoding encoding);
// The offset of the first "=" unit in a line's content, or npos.
std::size_t equalsIn(std::string_view content, FileEncoding encoding);

// Names that a file's text (as UTF-8) holds, in file order.
struct Names {
    std::vector<std::string> sections;                      // at most maxSections
    std::vector<std::pair<std::string, std::string>> keys;  // (section, key), at most maxKeys
    std::vector<std::string> allKeys;                       // key names of any section, at most maxKeys
};
std::vector<std::string_view> textLines(std::string_view text);
std::string decodedText(std::string_view bytes, FileEncoding encoding);  // as UTF-8, mark left out
Names namesIn(std::string_view text, std::size_t maxSections, std::size_t maxKeys);

// The longest prefix of whole UTF-8 characters within kValueLimit bytes (a byte that forms no
// character counts as one), then up to the first NUL.
std::string limited(std::string_view value);
// What read(section, key) gives for a file whose layout is the UTF-8 text: the first key line of
// that name in the first copy of the section; "0" when there is none or a name is empty.
std::string referenceRead(std::string_view text, std::string_view section, std::string_view key);

}  // namespace dovi::fuzz
