// page, holidays, header, add-birthday and add-special: the day page and the dated entries of the
// settings file from the command line. Output is UTF-8.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "calendar/calendar.h"
#include "calendar/clock.h"
#include "calendar/dateheader.h"
#include "cli/commands.h"
#include "page/dayentries.h"
#include "page/daypage.h"
#include "page/pagelabels.h"
#include "register/startup.h"
#include "settings/settingsfile.h"
#include "texts/texts.h"

namespace dovi::cli {

namespace {

bool allDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// An unsigned decimal number of exactly text.size() digits, or std::nullopt.
template <typename Number>
std::optional<Number> parseDigits(std::string_view text)
{
    Number value{};
    if (!allDigits(text))
        return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "YYYY-MM-DD HH:MM:SS" naming a real day of the years 1 to 9999 and a real time of day.
std::optional<LocalDateTime> parseMoment(std::string_view text)
{
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':'
        || text[16] != ':')
        return std::nullopt;
    const auto year = parseDigits<int>(text.substr(0, 4));
    const auto month = parseDigits<unsigned>(text.substr(5, 2));
    const auto day = parseDigits<unsigned>(text.substr(8, 2));
    const auto hour = parseDigits<int>(text.substr(11, 2));
    const auto minute = parseDigits<int>(text.substr(14, 2));
    const auto second = parseDigits<int>(text.substr(17, 2));
    if (!year || !month || !day || !hour || !minute || !second || *year < 1 || *hour > 23 || *minute > 59
        || *second > 59)
        return std::nullopt;
    const Date date = std::chrono::year{*year} / std::chrono::month{*month} / std::chrono::day{*day};
    if (!date.ok())
        return std::nullopt;
    return LocalDateTime{date, *hour, *minute, *second};
}

std::string colorText(std::uint32_t color)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(color));
    return text;
}

std::string isoDate(Date date)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

void printHeader(std::ostream& out, const DateHeader& header)
{
    out << "caption: " << header.caption << '\n'
        << "Label1: " << header.eraLine << '\n'
        << "Label2: " << header.day << '\n'
        << "Label2Color: " << (header.dayColor ? colorText(*header.dayColor) : "design") << '\n'
        << "Label3: " << header.weekdayLine << '\n';
}

// The page as the window shows it right after the build, before the ticker's first tick.
nlohmann::ordered_json pageJson(const DateHeader& header, const PageLabels& page)
{
    nlohmann::ordered_json json;
    json["caption"] = header.caption;
    json["Label1"] = header.eraLine;
    json["Label2"] = header.day;
    json["Label3"] = header.weekdayLine;
    json["Label4"] = page.label4;
    json["Label5"] = page.label5;
    json["Label6"] = page.label6;
    json["Label7"] = page.label7;
    json["Label8"] = page.label8;
    json["Label2Color"] = header.dayColor ? nlohmann::ordered_json(colorText(*header.dayColor)) : nullptr;
    json["Shape1"] = page.shape1;
    json["msgList"] = nlohmann::ordered_json::array();
    for (int i = 0; i < page.msgCount; ++i)
        json["msgList"].push_back(page.msgList[static_cast<std::size_t>(i)]);
    json["msgCount"] = page.msgCount;
    return json;
}

void printPage(std::ostream& out, const DateHeader& header, const PageLabels& page)
{
    printHeader(out, header);
    out << "Label4: " << page.label4 << '\n'
        << "Label5: " << page.label5 << '\n'
        << "Label6: " << page.label6 << '\n'
        << "Label7: " << page.label7 << '\n'
        << "Label8: " << page.label8 << '\n'
        << "Shape1: " << (page.shape1 ? "shown" : "hidden") << '\n'
        << "msgCount: " << page.msgCount << '\n';
    for (int i = 0; i < page.msgCount; ++i)
        out << "msgList[" << i << "]: " << page.msgList[static_cast<std::size_t>(i)] << '\n';
}

// Reads "--at MOMENT" at args[i]; false with a usage error already reported when it is bad.
bool readAt(Context& context, std::string_view command, std::size_t& i, std::optional<LocalDateTime>& at,
            int& status)
{
    if (i + 1 >= context.args.size() || !(at = parseMoment(context.args[i + 1]))) {
        status = usageError(context, command, "--at needs a real local time as \"YYYY-MM-DD HH:MM:SS\"");
        return false;
    }
    ++i;
    return true;
}

// Builds the page for the local time given (default: now) as the window does at start-up: the
// start-up decision on the user entry, the date header, then the whole build with its writes.
int page(Context& context)
{
    std::optional<LocalDateTime> at;
    std::optional<std::uint64_t> seed;
    bool json = false;
    int status = kOk;
    for (std::size_t i = 0; i < context.args.size(); ++i) {
        const std::string& arg = context.args[i];
        if (arg == "--at") {
            if (!readAt(context, "page", i, at, status))
                return status;
        } else if (arg == "--seed") {
            if (i + 1 >= context.args.size() || !(seed = parseDigits<std::uint64_t>(context.args[i + 1])))
                return usageError(context, "page", "--seed needs a whole number from 0 to 18446744073709551615");
            ++i;
        } else if (arg == "--json") {
            json = true;
        } else {
            return usageError(context, "page", "unknown argument '" + arg + "'");
        }
    }

    SettingsFile settings(context.ini);
    switch (decideStartup(settings.read(texts::kInit, texts::kUser))) {
    case Startup::Broken:
        context.err << texts::kStartupErrorText << '\n';
        return kBrokenFile;
    case Startup::Register:
        context.err << "dovi-cli: no user is registered yet in " << context.ini.string()
                    << "; the calendar asks for one at its first start\n";
        return kNotRegistered;
    case Startup::Run:
        break;
    }

    SystemClock systemClock;
    FixedClock fixedClock(at.value_or(LocalDateTime{}));
    Clock& clock = at ? static_cast<Clock&>(fixedClock) : systemClock;
    const DateHeader header = makeDateHeader(clock.now().date);
    StandardRandom random(seed);
    const PageLabels built = pageLabels(buildDayPage(settings, clock, random));

    if (json)
        context.out << pageJson(header, built).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                    << '\n';
    else
        printPage(context.out, header, built);
    return kOk;
}

// Every day of a year on which the page shows a holiday, with the name it shows.
int holidays(Context& context)
{
    if (context.args.size() != 1)
        return usageError(context, "holidays", "holidays needs a year");
    const auto year = parseDigits<int>(context.args[0]);
    if (!year || *year < 1 || *year > 9999)
        return usageError(context, "holidays", "the year must be a whole number from 1 to 9999");
    std::error_code ec;
    if (!std::filesystem::exists(context.ini, ec))
        context.err << "dovi-cli: " << context.ini.string()
                    << " does not exist; only the computed holidays are shown\n";

    SettingsFile settings(context.ini);
    for (const auto& [date, shown] : holidaysOfYear(settings, *year))
        context.out << isoDate(date) << '\t' << shown.name << '\n';
    return kOk;
}

// The date header alone; it needs no settings file.
int header(Context& context)
{
    std::optional<LocalDateTime> at;
    int status = kOk;
    for (std::size_t i = 0; i < context.args.size(); ++i) {
        if (context.args[i] == "--at") {
            if (!readAt(context, "header", i, at, status))
                return status;
        } else {
            return usageError(context, "header", "unknown argument '" + context.args[i] + "'");
        }
    }
    SystemClock systemClock;
    printHeader(context.out, makeDateHeader(at ? at->date : systemClock.now().date));
    return kOk;
}

// "MM/DD" with two digits each, naming a day that some year has (29 February included).
bool isDayKey(std::string_view text)
{
    if (text.size() != 5 || text[2] != '/')
        return false;
    const auto month = parseDigits<unsigned>(text.substr(0, 2));
    const auto day = parseDigits<unsigned>(text.substr(3, 2));
    // 2000 is a leap year, so every day that any year has is ok() in it.
    return month && day && (std::chrono::year{2000} / std::chrono::month{*month} / std::chrono::day{*day}).ok();
}

// True when value would read back as "0", the text that means "no entry": reading a value drops
// blanks around it and one pair of quotes around it (" 0 ", "'0'", "\"0\"").
bool readsBackAsAbsent(std::string_view value)
{
    const auto trim = [](std::string_view text) {
        const auto first = text.find_first_not_of(" \t");
        if (first == std::string_view::npos)
            return std::string_view();
        return text.substr(first, text.find_last_not_of(" \t") - first + 1);
    };
    std::string_view text = trim(value);
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
        text = trim(text.substr(1, text.size() - 2));
    return text == texts::kAbsent;
}

// Stores value under the first free letter of the day in section and prints the key. The scan and
// the write run under the update lock, so two writers cannot take the same letter.
int addEntry(Context& context, std::string_view command, std::string_view section, std::string_view day,
             std::string_view value)
{
    if (!isDayKey(day))
        return usageError(context, command, "the day must be MM/DD with two digits each, naming a real day");
    if (readsBackAsAbsent(value))
        return usageError(context, command, "an entry that reads as \"0\" would count as no entry");

    SettingsFile settings(context.ini);
    const auto lock = settings.lockForUpdate();
    for (int letter = 0; letter < kLetterCount; ++letter) {
        const std::string key = letteredKey(letter, day);
        if (settings.read(section, key) != texts::kAbsent)
            continue;
        const WriteResult result = settings.write(section, key, value);
        if (!result.ok) {
            context.err << "dovi-cli: " << result.error << '\n';
            return kFailed;
        }
        context.out << key << '\n';
        return kOk;
    }
    context.err << "dovi-cli: all 26 entries of " << day << " (a to z) are taken; nothing was stored\n";
    return kFailed;
}

int addBirthday(Context& context)
{
    if (context.args.size() != 2 && context.args.size() != 3)
        return usageError(context, "add-birthday", "add-birthday needs a day and a name, and may have a year");
    std::string value = context.args[1];
    if (context.args.size() == 3) {
        if (context.args[2].size() != 4 || !allDigits(context.args[2]))
            return usageError(context, "add-birthday", "the year of birth must have four digits");
        value += ':';
        value += context.args[2];
    }
    return addEntry(context, "add-birthday", texts::kBirthdayBook, context.args[0], value);
}

int addSpecial(Context& context)
{
    if (context.args.size() != 2)
        return usageError(context, "add-special", "add-special needs a day and a text");
    return addEntry(context, "add-special", texts::kSpecialDays, context.args[0], context.args[1]);
}

constexpr Command kCommands[] = {
    {"page", "[--at \"YYYY-MM-DD HH:MM:SS\"] [--seed N] [--json]", page},
    {"holidays", "YEAR", holidays},
    {"header", "[--at \"YYYY-MM-DD HH:MM:SS\"]", header},
    {"add-birthday", "MM/DD NAME [YEAR]", addBirthday},
    {"add-special", "MM/DD TEXT", addSpecial},
};

}  // namespace

std::span<const Command> pageCommands() { return kCommands; }

}  // namespace dovi::cli
