// list, list-sayings, edit-, remove- and move- of birthdays, special days and sayings, add-saying and
// export-ics: the birthday book, the special days and the sayings without editing the file by hand.
// Each change is one replacement of the settings file; what it refuses, it refuses as set does.
// A change names its entry by letter or by text, and passes the value it read to the model, which
// refuses the change when another program has changed that entry in between.
#include <chrono>
#include <ctime>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "calendar/calendar.h"
#include "cli/commands.h"
#include "cli/exportfile.h"
#include "cli/icsexport.h"
#include "cli/textout.h"
#include "book/bookedit.h"
#include "settings/settingsfile.h"
#include "texts/texts.h"

namespace dovi::cli {

namespace {

// A letter "a" to "z" as the index of a day's entry.
std::optional<int> parseLetter(std::string_view text)
{
    if (text.size() != 1 || text[0] < 'a' || text[0] > 'z')
        return std::nullopt;
    return text[0] - 'a';
}

// A saying's number: 1 to 32767, plain digits.
std::optional<int> parseNumber(std::string_view text)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const int number = std::stoi(std::string(text));
    return number >= 1 && number <= 32767 ? std::optional<int>(number) : std::nullopt;
}

int report(Context& context, const WriteResult& result)
{
    if (result.ok)
        return kOk;
    context.err << "dovi-cli: " << result.error << '\n';
    return kFailed;
}

// One entry of a day as list prints it: MM/DD, section, letter, then the name and year of birth or
// the special day's text, tab-separated.
void listEntry(std::ostream& out, std::string_view day, Book book, std::size_t index, const std::string& value)
{
    out << day << '\t' << bookName(book) << '\t' << static_cast<char>('a' + index) << '\t';
    if (book == Book::Birthdays) {
        const BirthdayText birthday = readBirthday(value);
        out << column(birthday.name) << '\t' << (birthday.year ? std::to_string(*birthday.year) : "");
    } else {
        out << column(value);
    }
    out << '\n';
}

void listDay(std::ostream& out, std::ostream& err, const BookSnapshot& snapshot, std::string_view day)
{
    for (const Book book : {Book::Birthdays, Book::SpecialDays}) {
        const BookDay& entries = snapshot.day(book, day);
        for (std::size_t i = 0; i < entries.shown.size(); ++i)
            listEntry(out, day, book, i, entries.shown[i].value);
        for (const BookEntry& entry : entries.hidden)
            err << "dovi-cli: " << bookName(book) << ' ' << column(entry.key) << " comes after a gap in the letters of "
                << day << ", so the page never shows it\n";
    }
}

// The birthdays and special days of one day, or of every day, one entry a line: MM/DD, section,
// letter, then the name and year of birth (empty when none) or the special day's text, tab-separated.
// The list is made from one snapshot of the file before it is printed: a reader that pauses the
// output (a pager) must not hold up the calendar. Listing takes no lock and makes no file.
int list(Context& context)
{
    if (context.args.size() > 1)
        return usageError(context, "list", "list takes at most one day");
    if (context.args.size() == 1 && !isDayKey(context.args[0]))
        return usageError(context, "list", "the day must be MM/DD with two digits each, naming a real day");
    SettingsFile settings(context.ini);
    const BookSnapshot snapshot = BookSnapshot::read(settings);
    std::ostringstream out, err;
    if (context.args.size() == 1) {
        listDay(out, err, snapshot, context.args[0]);
    } else {
        const std::chrono::sys_days first{std::chrono::year{2000} / 1 / 1};
        const std::chrono::sys_days last{std::chrono::year{2000} / 12 / 31};
        for (std::chrono::sys_days day = first; day <= last; day += std::chrono::days{1})
            listDay(out, err, snapshot, dateKey(Date{day}));
    }
    context.err << err.str();
    context.out << out.str();
    return kOk;
}

// Every saying the page can draw: number, text and source, tab-separated, from one snapshot.
int listSayings(Context& context)
{
    if (!context.args.empty())
        return usageError(context, "list-sayings", "list-sayings takes no arguments");
    SettingsFile settings(context.ini);
    const BookSnapshot snapshot = BookSnapshot::read(settings);
    // Goes out in pieces of about 64 KiB: few writes, and memory that is used again instead of a
    // few megabytes of new pages for 32,767 sayings. Each column is escaped as it is added, so the
    // pieces go out as they are.
    constexpr std::size_t kPiece = 64 * 1024;
    std::ostream& out = rawStream(context.out);
    std::string text;
    text.reserve(kPiece + 4096);
    int number = 0;
    for (const auto& value : snapshot.sayings()) {
        if (text.size() >= kPiece) {
            out << text;
            text.clear();
        }
        const SayingParts saying = sayingParts(value);
        text.append(std::to_string(++number)).push_back('\t');
        appendColumn(text, saying.text);
        text.push_back('\t');
        appendColumn(text, saying.source);
        text.push_back('\n');
    }
    out << text;
    return kOk;
}

// The entry of day that text names, with its value as read now, so that the change is refused
// when another program changes that entry before it is written. A single letter a to z names the
// entry under that letter; any other text names the entry whose name (a birthday's, without the
// year) or text (a special day's) it is, so an entry whose text is one letter is named by its
// letter. Nothing, with the refusal said on err and status set, when no entry or several match.
std::optional<SeenEntry> namedEntry(Context& context, Book book, std::string_view day, std::string_view text,
                                    int& status)
{
    SettingsFile settings(context.ini);
    const BookSnapshot snapshot = BookSnapshot::read(settings);
    const std::vector<BookEntry>& shown = snapshot.day(book, day).shown;
    if (const auto letter = parseLetter(text)) {
        if (static_cast<std::size_t>(*letter) < shown.size())
            return SeenEntry{'a' + *letter, shown[static_cast<std::size_t>(*letter)].value};
        context.err << "dovi-cli: there is no such entry on " << day << '\n';
        status = kFailed;
        return std::nullopt;
    }
    std::vector<std::size_t> matches;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const std::string name = book == Book::Birthdays ? readBirthday(shown[i].value).name : shown[i].value;
        if (name == text)
            matches.push_back(i);
    }
    if (matches.size() == 1)
        return SeenEntry{'a' + static_cast<int>(matches[0]), shown[matches[0]].value};
    const std::string_view what = book == Book::Birthdays ? "person" : "special day";
    if (matches.empty()) {
        context.err << "dovi-cli: there is no " << what << " named " << column(text) << " on " << day
                    << "; dovi-cli list " << day << " shows the entries with their letters\n";
    } else {
        context.err << "dovi-cli: " << matches.size() << " entries on " << day << " are named " << column(text)
                    << "; name the one you mean by its letter:\n";
        // Standard error shows a TAB escaped: the columns are set apart by two blanks.
        for (const std::size_t i : matches) {
            context.err << "  " << static_cast<char>('a' + i) << "  ";
            if (book == Book::Birthdays) {
                const BirthdayText birthday = readBirthday(shown[i].value);
                context.err << column(birthday.name);
                if (birthday.year)
                    context.err << "  " << *birthday.year;
            } else {
                context.err << column(shown[i].value);
            }
            context.err << '\n';
        }
    }
    status = kFailed;
    return std::nullopt;
}

// The day of args[0] and the entry args[1] names; a usage error or a refusal said when they are bad.
std::optional<SeenEntry> dayAndEntry(Context& context, std::string_view command, Book book, int& status)
{
    if (!isDayKey(context.args[0])) {
        status = usageError(context, command, "the day must be MM/DD with two digits each, naming a real day");
        return std::nullopt;
    }
    // One ASCII capital is a mistyped letter, not a name.
    const std::string_view entry = context.args[1];
    if (entry.size() == 1 && entry[0] >= 'A' && entry[0] <= 'Z') {
        status = usageError(context, command, "the letter must be one of a to z");
        return std::nullopt;
    }
    return namedEntry(context, book, context.args[0], entry, status);
}

int removeEntry(Context& context, std::string_view command, Book book)
{
    int status = kOk;
    if (context.args.size() != 2)
        return usageError(context, command, std::string(command) + " needs a day and a letter");
    const auto entry = dayAndEntry(context, command, book, status);
    if (!entry)
        return status;
    SettingsFile settings(context.ini);
    return report(context, removeBookEntry(settings, book, context.args[0], *entry));
}

int removeBirthday(Context& context) { return removeEntry(context, "remove-birthday", Book::Birthdays); }
int removeSpecial(Context& context) { return removeEntry(context, "remove-special", Book::SpecialDays); }

int editBirthday(Context& context)
{
    int status = kOk;
    if (context.args.size() != 3 && context.args.size() != 4)
        return usageError(context, "edit-birthday",
                          "edit-birthday needs a day, a letter and a name, and may have a year");
    if (!isDayKey(context.args[0]))
        return usageError(context, "edit-birthday", "the day must be MM/DD with two digits each, naming a real day");
    std::optional<int> year;
    if (context.args.size() == 4 && !(year = parseYear(context.args[3], 0, 9999, true)))
        return usageError(context, "edit-birthday", "the year of birth must have four digits");
    if (const std::string problem = year ? birthYearProblem(*year) : std::string(); !problem.empty())
        return usageError(context, "edit-birthday", problem);
    std::string value;
    if (const WriteResult refused = birthdayValue(context.args[2], year, value); !refused.ok)
        return report(context, refused);
    const auto entry = dayAndEntry(context, "edit-birthday", Book::Birthdays, status);
    if (!entry)
        return status;
    SettingsFile settings(context.ini);
    return report(context, editBookEntry(settings, Book::Birthdays, context.args[0], *entry, value));
}

int editSpecial(Context& context)
{
    int status = kOk;
    if (context.args.size() != 3)
        return usageError(context, "edit-special", "edit-special needs a day, a letter and a text");
    if (!isDayKey(context.args[0]))
        return usageError(context, "edit-special", "the day must be MM/DD with two digits each, naming a real day");
    std::string value;
    if (const WriteResult refused = specialDayValue(context.args[2], value); !refused.ok)
        return report(context, refused);
    const auto entry = dayAndEntry(context, "edit-special", Book::SpecialDays, status);
    if (!entry)
        return status;
    SettingsFile settings(context.ini);
    return report(context, editBookEntry(settings, Book::SpecialDays, context.args[0], *entry, value));
}

int moveEntry(Context& context, std::string_view command, Book book)
{
    int status = kOk;
    if (context.args.size() != 3)
        return usageError(context, command,
                          std::string(command) + " needs a day, a letter and the new letter");
    if (!isDayKey(context.args[0]))
        return usageError(context, command, "the day must be MM/DD with two digits each, naming a real day");
    const auto to = parseLetter(context.args[2]);
    if (!to)
        return usageError(context, command, "the new letter must be one of a to z");
    const auto entry = dayAndEntry(context, command, book, status);
    if (!entry)
        return status;
    SettingsFile settings(context.ini);
    return report(context, moveBookEntry(settings, book, context.args[0], *entry, 'a' + *to));
}

int moveBirthday(Context& context) { return moveEntry(context, "move-birthday", Book::Birthdays); }
int moveSpecial(Context& context) { return moveEntry(context, "move-special", Book::SpecialDays); }

// Prints the new saying's number.
int addSayingCommand(Context& context)
{
    if (context.args.size() != 2)
        return usageError(context, "add-saying", "add-saying needs a text and a source");
    std::string value;
    if (const WriteResult refused = sayingValue(context.args[0], context.args[1], value); !refused.ok)
        return report(context, refused);
    SettingsFile settings(context.ini);
    int number = 0;
    const WriteResult result = addSaying(settings, value, &number);
    if (result.ok)
        context.out << number << '\n';
    return report(context, result);
}

// The saying text names, with its value as read now: plain digits are its number, any other text
// the saying's text as list-sayings shows it. Nothing, with the refusal said, when text names none
// or several, or is a number out of range.
// The saying the command line names, found in the file as settings reads it now. The command then
// edits through the same settings, so an unchanged file is not read and parsed a second time.
std::optional<SeenEntry> namedSaying(Context& context, SettingsFile& settings, std::string_view command,
                                     std::string_view text, int& status,
                                     std::string_view badNumber = "the number must be a whole number from 1 to 32767")
{
    const BookSnapshot snapshot = BookSnapshot::read(settings);
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos) {
        const auto number = parseNumber(text);
        if (!number) {
            status = usageError(context, command, badNumber);
            return std::nullopt;
        }
        // The one saying alone: a number needs no listing of them all.
        if (*number <= snapshot.listedSayings())
            return SeenEntry{*number, snapshot.sayingValue(*number).value_or("0")};
        context.err << "dovi-cli: there is no saying number " << *number << '\n';
        status = kFailed;
        return std::nullopt;
    }
    const auto& sayings = snapshot.sayings();
    const auto valueOf = [&](std::size_t i) { return std::string(sayings[i].value_or("0")); };
    std::vector<std::size_t> matches;
    for (std::size_t i = 0; i < sayings.size(); ++i)
        if (sayingParts(sayings[i]).text == text)
            matches.push_back(i);
    if (matches.size() == 1)
        return SeenEntry{static_cast<int>(matches[0]) + 1, valueOf(matches[0])};
    if (matches.empty()) {
        context.err << "dovi-cli: there is no saying " << column(text)
                    << "; dovi-cli list-sayings shows the sayings with their numbers\n";
    } else {
        context.err << "dovi-cli: " << matches.size() << " sayings read " << column(text)
                    << "; name the one you mean by its number:\n";
        for (const std::size_t i : matches) {
            const SayingParts saying = sayingParts(sayings[i]);
            context.err << "  " << i + 1 << "  " << column(saying.text) << "  " << column(saying.source) << '\n';
        }
    }
    status = kFailed;
    return std::nullopt;
}

int editSayingCommand(Context& context)
{
    int status = kOk;
    if (context.args.size() != 3)
        return usageError(context, "edit-saying", "edit-saying needs a number, a text and a source");
    std::string value;
    if (const WriteResult refused = sayingValue(context.args[1], context.args[2], value); !refused.ok)
        return report(context, refused);
    SettingsFile settings(context.ini);
    const auto saying = namedSaying(context, settings, "edit-saying", context.args[0], status);
    if (!saying)
        return status;
    return report(context, editSaying(settings, *saying, value));
}

int removeSayingCommand(Context& context)
{
    int status = kOk;
    if (context.args.size() != 1)
        return usageError(context, "remove-saying", "remove-saying needs a number");
    SettingsFile settings(context.ini);
    const auto saying = namedSaying(context, settings, "remove-saying", context.args[0], status);
    if (!saying)
        return status;
    return report(context, removeSaying(settings, *saying));
}

int moveSayingCommand(Context& context)
{
    constexpr std::string_view kBadNumbers = "the numbers must be whole numbers from 1 to 32767";
    int status = kOk;
    if (context.args.size() != 2)
        return usageError(context, "move-saying", "move-saying needs a number and the new number");
    const auto to = parseNumber(context.args[1]);
    if (!to)
        return usageError(context, "move-saying", kBadNumbers);
    SettingsFile settings(context.ini);
    const auto saying = namedSaying(context, settings, "move-saying", context.args[0], status, kBadNumbers);
    if (!saying)
        return status;
    return report(context, moveSaying(settings, *saying, *to));
}

// The iCalendar text to FILE, or to standard output without one. FILE is replaced as a whole.
int exportIcs(Context& context)
{
    // --koyomi YEAR exports the year's 二十四節気 and 雑節 instead of the book.
    std::optional<int> koyomiYear;
    std::vector<std::string> args(context.args.begin(), context.args.end());
    if (!args.empty() && args[0] == "--koyomi") {
        if (args.size() < 2)
            return usageError(context, "export-ics", "--koyomi needs a year");
        const auto year = parseYear(args[1], 1900, 2100, true);
        if (!year)
            return usageError(context, "export-ics", "the 暦 is computed for the years 1900 to 2100 only");
        koyomiYear = *year;
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() > 1)
        return usageError(context, "export-ics", "export-ics takes at most one file");
    SettingsFile settings(context.ini);
    std::string error;
    const std::optional<std::string> calendar = koyomiYear ? koyomiCalendar(*koyomiYear, std::time(nullptr), error)
                                                           : bookCalendar(settings, std::time(nullptr), error);
    if (!calendar) {
        context.err << "dovi-cli: export-ics needs the iCalendar library libical (Debian package libical3): "
                    << error << '\n';
        return kFailed;
    }
    if (args.empty()) {
        rawStream(context.out) << *calendar;  // iCalendar text: CRLF line ends, its own escaping
        return kOk;
    }
    if (const std::string problem = writeExportFile(args[0], *calendar, context.ini); !problem.empty()) {
        context.err << "dovi-cli: " << problem << '\n';
        return kFailed;
    }
    return kOk;
}

constexpr Command kCommands[] = {
    {"list", "[MM/DD]", list},
    {"list-sayings", "", listSayings},
    {"edit-birthday", "MM/DD ENTRY NAME [YEAR]", editBirthday},
    {"remove-birthday", "MM/DD ENTRY", removeBirthday},
    {"move-birthday", "MM/DD ENTRY NEW-LETTER", moveBirthday},
    {"edit-special", "MM/DD ENTRY TEXT", editSpecial},
    {"remove-special", "MM/DD ENTRY", removeSpecial},
    {"move-special", "MM/DD ENTRY NEW-LETTER", moveSpecial},
    {"add-saying", "TEXT SOURCE", addSayingCommand},
    {"edit-saying", "SAYING TEXT SOURCE", editSayingCommand},
    {"remove-saying", "SAYING", removeSayingCommand},
    {"move-saying", "SAYING NEW-N", moveSayingCommand},
    {"export-ics", "[--koyomi YEAR] [FILE]", exportIcs},
};

}  // namespace

std::span<const Command> bookCommands() { return kCommands; }

}  // namespace dovi::cli
