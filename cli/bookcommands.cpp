// list, list-sayings, edit-, remove- and move- of birthdays, special days and sayings, add-saying and
// export-ics: the birthday book, the special days and the sayings without editing the file by hand.
// Each change is one replacement of the settings file; what it refuses, it refuses as set does.
#include <charconv>
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

// A four-digit year of birth.
std::optional<int> parseYear(std::string_view text)
{
    if (text.size() != 4 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return std::stoi(std::string(text));
}

int report(Context& context, const WriteResult& result)
{
    if (result.ok)
        return kOk;
    context.err << "dovi-cli: " << result.error << '\n';
    return kFailed;
}

void listDay(std::ostream& out, std::ostream& err, const BookSnapshot& snapshot, std::string_view day)
{
    for (const Book book : {Book::Birthdays, Book::SpecialDays}) {
        const bool birthdays = book == Book::Birthdays;
        const std::string_view section = bookName(book);
        const BookDay& entries = snapshot.day(book, day);
        for (std::size_t i = 0; i < entries.shown.size(); ++i) {
            out << day << '\t' << section << '\t' << static_cast<char>('a' + i) << '\t';
            if (birthdays) {
                const BirthdayText birthday = readBirthday(entries.shown[i].value);
                out << column(birthday.name) << '\t' << (birthday.year ? std::to_string(*birthday.year) : "");
            } else {
                out << column(entries.shown[i].value);
            }
            out << '\n';
        }
        for (const BookEntry& entry : entries.hidden)
            err << "dovi-cli: " << section << ' ' << column(entry.key) << " comes after a gap in the letters of " << day
                << ", so the page never shows it\n";
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
    int number = 0;
    for (const Saying& saying : readSayings(settings))
        context.out << ++number << '\t' << column(saying.text) << '\t' << column(saying.source) << '\n';
    return kOk;
}

// The day and letter of args[0] and args[1]; false with a usage error reported when they are bad.
bool dayAndLetter(Context& context, std::string_view command, int& status, int& index)
{
    if (!isDayKey(context.args[0])) {
        status = usageError(context, command, "the day must be MM/DD with two digits each, naming a real day");
        return false;
    }
    const auto letter = parseLetter(context.args[1]);
    if (!letter) {
        status = usageError(context, command, "the letter must be one of a to z");
        return false;
    }
    index = *letter;
    return true;
}

int removeEntry(Context& context, std::string_view command, Book book)
{
    int status = kOk, index = 0;
    if (context.args.size() != 2)
        return usageError(context, command, std::string(command) + " needs a day and a letter");
    if (!dayAndLetter(context, command, status, index))
        return status;
    SettingsFile settings(context.ini);
    return report(context, removeBookEntry(settings, book, context.args[0], index));
}

int removeBirthday(Context& context) { return removeEntry(context, "remove-birthday", Book::Birthdays); }
int removeSpecial(Context& context) { return removeEntry(context, "remove-special", Book::SpecialDays); }

int editBirthday(Context& context)
{
    int status = kOk, index = 0;
    if (context.args.size() != 3 && context.args.size() != 4)
        return usageError(context, "edit-birthday",
                          "edit-birthday needs a day, a letter and a name, and may have a year");
    if (!dayAndLetter(context, "edit-birthday", status, index))
        return status;
    std::optional<int> year;
    if (context.args.size() == 4 && !(year = parseYear(context.args[3])))
        return usageError(context, "edit-birthday", "the year of birth must have four digits");
    if (const std::string problem = year ? birthYearProblem(*year) : std::string(); !problem.empty())
        return usageError(context, "edit-birthday", problem);
    std::string value;
    if (const WriteResult refused = birthdayValue(context.args[2], year, value); !refused.ok)
        return report(context, refused);
    SettingsFile settings(context.ini);
    return report(context, editBookEntry(settings, Book::Birthdays, context.args[0], index, value));
}

int editSpecial(Context& context)
{
    int status = kOk, index = 0;
    if (context.args.size() != 3)
        return usageError(context, "edit-special", "edit-special needs a day, a letter and a text");
    if (!dayAndLetter(context, "edit-special", status, index))
        return status;
    std::string value;
    if (const WriteResult refused = specialDayValue(context.args[2], value); !refused.ok)
        return report(context, refused);
    SettingsFile settings(context.ini);
    return report(context, editBookEntry(settings, Book::SpecialDays, context.args[0], index, value));
}

int moveEntry(Context& context, std::string_view command, Book book)
{
    int status = kOk, index = 0;
    if (context.args.size() != 3)
        return usageError(context, command, std::string(command) + " needs a day, a letter and the new letter");
    if (!dayAndLetter(context, command, status, index))
        return status;
    const auto to = parseLetter(context.args[2]);
    if (!to)
        return usageError(context, command, "the new letter must be one of a to z");
    SettingsFile settings(context.ini);
    return report(context, moveBookEntry(settings, book, context.args[0], index, *to));
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

int editSayingCommand(Context& context)
{
    if (context.args.size() != 3)
        return usageError(context, "edit-saying", "edit-saying needs a number, a text and a source");
    const auto number = parseNumber(context.args[0]);
    if (!number)
        return usageError(context, "edit-saying", "the number must be a whole number from 1 to 32767");
    std::string value;
    if (const WriteResult refused = sayingValue(context.args[1], context.args[2], value); !refused.ok)
        return report(context, refused);
    SettingsFile settings(context.ini);
    return report(context, editSaying(settings, *number, value));
}

int removeSayingCommand(Context& context)
{
    if (context.args.size() != 1)
        return usageError(context, "remove-saying", "remove-saying needs a number");
    const auto number = parseNumber(context.args[0]);
    if (!number)
        return usageError(context, "remove-saying", "the number must be a whole number from 1 to 32767");
    SettingsFile settings(context.ini);
    return report(context, removeSaying(settings, *number));
}

int moveSayingCommand(Context& context)
{
    if (context.args.size() != 2)
        return usageError(context, "move-saying", "move-saying needs a number and the new number");
    const auto from = parseNumber(context.args[0]);
    const auto to = parseNumber(context.args[1]);
    if (!from || !to)
        return usageError(context, "move-saying", "the numbers must be whole numbers from 1 to 32767");
    SettingsFile settings(context.ini);
    return report(context, moveSaying(settings, *from, *to));
}

// A year from 1900 to 2100 written in digits, or std::nullopt.
std::optional<int> parseKoyomiYear(std::string_view text)
{
    int year = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), year);
    if (ec != std::errc() || end != text.data() + text.size() || text.size() != 4 || year < 1900 || year > 2100)
        return std::nullopt;
    return year;
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
        const auto year = parseKoyomiYear(args[1]);
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
    {"edit-birthday", "MM/DD LETTER NAME [YEAR]", editBirthday},
    {"remove-birthday", "MM/DD LETTER", removeBirthday},
    {"move-birthday", "MM/DD LETTER NEW-LETTER", moveBirthday},
    {"edit-special", "MM/DD LETTER TEXT", editSpecial},
    {"remove-special", "MM/DD LETTER", removeSpecial},
    {"move-special", "MM/DD LETTER NEW-LETTER", moveSpecial},
    {"add-saying", "TEXT SOURCE", addSayingCommand},
    {"edit-saying", "N TEXT SOURCE", editSayingCommand},
    {"remove-saying", "N", removeSayingCommand},
    {"move-saying", "N NEW-N", moveSayingCommand},
    {"export-ics", "[--koyomi YEAR] [FILE]", exportIcs},
};

}  // namespace

std::span<const Command> bookCommands() { return kCommands; }

}  // namespace dovi::cli
