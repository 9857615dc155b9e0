// The text of a settings file held in memory: its lines, sections and keys as the private-profile
// rules see them, and the new text that one change of one key gives. No file access here.
//
// Layout rules, as the Windows private-profile functions apply them:
// - A line ends at LF, at CR LF or at a lone CR (a lone CR ends a line there too, which is also
//   why a value may not contain one). Each line keeps its own line end when the file is written.
// - Blanks are spaces and tabs. A line whose first non-blank character is ";" is a comment. A line
//   whose first non-blank character is "[" and that has a "]" after it opens a section named by
//   the text between them; a "[" line without "]" is ignored. Any other line holding "=" is a key
//   line: the key is the text before the first "=", the value the text after it. A line without
//   "=" is no key. Key lines before the first section belong to no section.
// - Section and key names match without regard to ASCII letter case; blanks around names and
//   values do not count. If a whole value is enclosed in one pair of matching double or single
//   quotes, reading removes them.
// - With a section or a key twice, the first counts, for reading and for changing; keys under a
//   later copy of a section are not seen.
// - A value reads as at most 1022 bytes of the file's encoding, cut before a character that would
//   not fit whole, and ends at its first NUL character (the reader hands values back as C strings).
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/codepage.h"
#include "settings/filebytes.h"
#include "settings/keyedit.h"
#include "settings/keylisting.h"
#include "settings/writeresult.h"

namespace dovi {

// The longest value a read gives back, in bytes of the file's encoding.
inline constexpr std::size_t kValueLimit = 1022;

// text without the blanks (spaces and tabs) at its start and end, as names and values are read.
std::string_view withoutBlanks(std::string_view text);

// The text a read gives back for value, stored after a key's "=" (UTF-8, one line): without the
// blanks around it, then without one pair of matching double or single quotes around all of it.
// What a writer needs to know in advance, such as whether a value will read back as "0".
std::string_view valueAsRead(std::string_view value);

// The outcome of preparing one change: the whole new file text, or why the change cannot be made.
struct IniEdit {
    bool changed = false;  // false with no refusal: nothing to do (deleting an absent key)
    std::string bytes;     // the new file text when changed
    WriteResult refusal;   // why the change is refused; refusal.reason is None when it is not
    // For a file without a mark, the lines of bytes that decide its encoding when the edit kept
    // them counted line by line; otherwise a write detects the encoding of bytes anew.
    std::optional<codepage::Utf8Lines> lines = std::nullopt;
};

class IniText {
public:
    // Takes a whole file (mark included); an empty string is a new, empty Shift-JIS file. Finds
    // only where the sections are, in one pass over the bytes; keys and values are looked for,
    // and decoded, when asked for. Memory beyond the bytes follows the number of sections.
    explicit IniText(std::string bytes);
    // The same for bytes read from a file, kept where they are.
    explicit IniText(FileBytes bytes);
    ~IniText();
    IniText(IniText&&) noexcept;
    IniText& operator=(IniText&&) noexcept;

    // How many texts this process has parsed so far, for tests that bound how often an access
    // parses a file.
    static std::size_t parsesSoFar();

    FileEncoding encoding() const { return encoding_; }
    std::string_view bytes() const { return bytes_; }

    // The value of key in section as UTF-8 (undecodable bytes as U+FFFD), or nullopt when the
    // section or the key is missing or a name is empty. Looks through the lines of that section
    // only, decoding just the key names that could match and the one value found.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // Every key of section with the value value() gives for it, in the order of the file. Names
    // are as lookups compare them: without surrounding blanks, ASCII letters in lower case. A
    // name that stands twice is listed once, at its first line. Empty for a missing section.
    std::vector<std::pair<std::string, std::string>> entries(std::string_view section) const;
    // The same list decoded into one buffer, without a string for each name and value. Made once
    // for each section name asked for; later calls share it.
    KeyListing listing(std::string_view section) const;

    // The file text after storing value under key in section (std::nullopt deletes the key). An
    // existing key keeps its line up to and including the "=" and gets the value exactly as given;
    // a new key goes after the last key line of its section; a new section is appended at the end.
    // All other lines stay byte for byte. Refused: names that are empty or cannot be told apart
    // from other lines, values with a line break or a NUL, text that is not UTF-8, and characters
    // that the file's encoding lacks.
    IniEdit edit(std::string_view section, std::string_view key, std::optional<std::string_view> value) const;

    // The file text after giving the key line of fromKey in section the name toKey. The line keeps
    // its place and its value byte for byte; a line of toKey in the section goes, as a write there
    // would have replaced it. Refused: a key name that edit() refuses, and a fromKey that the
    // section does not have. Nothing changes when both names are the same key.
    IniEdit renameKey(std::string_view section, std::string_view fromKey, std::string_view toKey) const;

    // The file text after edits, applied in order as edit() (Set, Delete) and renameKey() (Rename)
    // apply them one after the other, each to the text the ones before it made, and with the same
    // bytes. Done in one pass: the sections the edits name are split into lines once, the edits
    // change those lines, and the bytes are joined once at the end, so that a batch costs what the
    // file and the batch are large, not their product. Refused as a whole at the first edit that
    // is refused, and (WouldReadAsUtf8, WouldReadAsShiftJis) when the text after some of the edits
    // would read in another encoding than this one: the edits after it would be encoded for the
    // wrong code page. Not changed when the result is this text.
    IniEdit editAll(std::span<const KeyEdit> edits) const;

private:
    class Batch;
    // A change of one key, checked and encoded, before it is looked for in the text.
    struct PreparedEdit {
        std::string_view sectionName, keyName;  // without the blanks around them
        std::string section, key, value;        // in the file's encoding
    };
    struct Line {
        std::size_t begin, end, next;  // content [begin, end), line end [end, next); byte offsets
    };
    struct Key {
        Line line;
        std::size_t valueBegin;  // just after the "="
    };
    // A section line: every one is kept, copies included, as each ends the keys of the one
    // before it; lookups take the first copy of a name.
    struct Section {
        Line header;
        std::size_t bodyEnd;   // where the next section line begins, or the end of the file
        std::size_t nameHash;  // of the folded name, to pass over other sections without decoding
    };
    // A key name asked for, folded once for comparing it with many key lines.
    struct KeyName {
        std::string folded;
        bool ascii;
    };

    void parse();
    Line lineAt(std::size_t pos, std::size_t limit) const;
    std::optional<std::string> sectionName(const Line& header) const;
    unsigned unitAt(std::size_t pos) const;
    unsigned unitIn(std::string_view text, std::size_t pos) const;  // unitAt() of another text
    std::size_t skipBlanks(std::size_t pos, std::size_t end) const;
    std::size_t trimEnd(std::size_t begin, std::size_t end) const;
    std::size_t find(unsigned unit, std::size_t pos, std::size_t end) const;
    std::string nameText(std::string_view raw) const;
    std::string decodedName(std::size_t begin, std::size_t end) const;
    void appendName(std::size_t begin, std::size_t end, std::string& out) const;
    bool keyMatches(std::size_t begin, std::size_t end, const KeyName& name) const;
    template <typename Visit>
    void forEachKeyLine(const Section& section, Visit visit) const;
    const Section* findSection(std::string_view name) const;
    std::optional<Key> findKey(const Section& section, std::string_view key) const;
    Line lastKeyLine(const Section& section) const;
    std::string valueOf(const Key& key) const;
    std::string_view rawValue(const Key& key) const;
    std::string_view rawValueIn(std::string_view content, std::size_t valueBegin) const;
    // Whether the value that starts at valueBegin of a key line's content reads as "0": the key
    // holds nothing.
    bool holdsNothing(std::string_view content, std::size_t valueBegin) const;
    void appendValue(const Key& key, std::string& out) const;
    KeyListing makeListing(std::string_view section) const;
    std::optional<IniEdit> editOne(const KeyEdit& edit) const;
    std::optional<IniEdit> editApart(std::span<const KeyEdit> edits) const;
    std::optional<IniEdit> editShifts(std::span<const KeyEdit> edits) const;
    IniEdit madeText(std::string text, std::optional<codepage::Utf8Lines> lines) const;
    // Checks and encodes the parts of edit(); false with the outcome in *early when the change is
    // refused or there is nothing to do.
    bool prepareEdit(std::string_view section, std::string_view key, std::optional<std::string_view> value,
                     PreparedEdit& prepared, IniEdit& early) const;

    FileBytes storage_;
    std::string_view bytes_;     // those of storage_, which stay in place when it moves
    codepage::Utf8Lines lines_;  // of a file without a mark; set by the encoding's detection
    FileEncoding encoding_;
    std::size_t unit_;           // 1 or 2 bytes per code unit
    std::string lineEnd_;        // the file's first line end; CR LF when it has none
    bool lastLineOpen_ = false;  // the file has text after its last line end
    std::vector<Section> sections_;
    std::unique_ptr<codepage::Codec> codec_;
    mutable std::unique_ptr<codepage::Codec> shiftJis_;  // for names on Shift-JIS lines of a UTF-8 file
    // The listings made so far, by the section name asked for; readers may share the text.
    struct Listings {
        std::mutex lock;
        std::vector<std::pair<std::string, KeyListing>> made;
    };
    std::unique_ptr<Listings> listings_;
};

}  // namespace dovi
