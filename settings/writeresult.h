// The outcome of one write to the settings file: whether it was done and, if not, why, as a reason
// that each caller words in its own language.
#pragma once

#include <string>
#include <utility>

namespace dovi {

enum class WriteFailure {
    None,
    InvalidText,         // the text given is not valid UTF-8
    LineBreak,           // a CR or LF in a name or value
    NulCharacter,        // U+0000 in a name or value
    ForbiddenCharacter,  // "]" in a section name, "=" in a key name, ";" or "[" starting a key name, a
                         // separator inside an entry's name or a saying's text
    EmptyName,           // an empty section or key name, or an empty entry
    Unstorable,          // the file's encoding has no code for character
    HalfUtf16Ending,     // the file ends in half a UTF-16 character, so nothing can be added
    KeyMissing,          // a key to be moved is not there
    EntryTaken,          // the key an entry should move to already holds one
    AbsentValue,         // the value would read back as "absent"
    LinkLoop,            // the settings file is a loop of symbolic links
    Folder,              // the settings file is a folder
    NotRegularFile,      // a FIFO, device or socket
    ReadOnly,            // the file's permissions forbid writing
    Unreadable,          // the file cannot be read, so it is not changed
    WouldReadAsUtf8,     // the Shift-JIS file would read as UTF-8 after the change
    WouldReadAsShiftJis, // the UTF-8 file (with lines that are not UTF-8) would read as Shift-JIS after it
    UntrustedLink,       // the settings file is reached through a symbolic link of another user
    SystemError,         // the operating system refused a step; systemError holds errno
    LockUnavailable,     // no update lock can be had for this file
    LockTimeout,         // another program holds the update lock
    NoRoom,              // all 26 letters of the day, or all sayings the count can number, are taken
    ChangedMeanwhile,    // the entry to change is no longer what the caller saw
};

// Which part of a write a character-related failure concerns.
enum class WritePart { None, SectionName, KeyName, Value };

struct WriteResult {
    WriteResult() = default;
    WriteResult(bool done, std::string sentence = {}, WriteFailure why = WriteFailure::None,
                WritePart where = WritePart::None, std::string offending = {}, int errorNumber = 0)
        : ok(done), error(std::move(sentence)), reason(why), part(where), character(std::move(offending)),
          systemError(errorNumber)
    {
    }

    bool ok = false;
    // One plain English sentence for a person when !ok (names the offending character, if any); the
    // command-line tool shows it, the windows word the reason in Japanese.
    std::string error;
    WriteFailure reason = WriteFailure::None;
    WritePart part = WritePart::None;
    std::string character;  // the offending character as UTF-8, for the character-related reasons
    int systemError = 0;    // errno, for SystemError
};

// A write that was done.
inline WriteResult writeDone() { return WriteResult(true); }

// A failed result with its reason.
inline WriteResult writeFailure(WriteFailure reason, std::string sentence, WritePart part = WritePart::None,
                                std::string character = {}, int systemError = 0)
{
    return WriteResult(false, std::move(sentence), reason, part, std::move(character), systemError);
}

}  // namespace dovi
