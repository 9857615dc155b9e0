// register: the registration of the calendar's user without its window, with the dialog's values
// and refusals. Also the advice for a settings file that is missing or has no user entry, which
// every command that needs a registered user gives.
#include <charconv>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "book/profile.h"
#include "book/snapshot.h"
#include "calendar/clock.h"
#include "cli/commands.h"
#include "register/registration.h"
#include "register/startup.h"
#include "settings/settingsfile.h"
#include "texts/texts.h"

namespace dovi::cli {

void adviseMissingFile(Context& context)
{
    std::error_code ec;
    if (std::filesystem::exists(context.ini, ec))
        context.err << "dovi-cli: " << context.ini.string() << " has no user entry (" << userEntryName()
                    << "), so it is not the calendar's settings file.\n";
    else
        context.err << "dovi-cli: there is no settings file " << context.ini.string() << ".\n";
    context.err << "The calendar keeps its dovi.ini in its data folder, $XDG_DATA_HOME/dovi (by default "
                   "~/.local/share/dovi), where dovi-launch puts a copy of the installed one at the first "
                   "start: run dovi-launch once, or dovi-cli in that folder, or name the file with --ini PATH.\n";
}

namespace {

// A number of one to four decimal digits, or std::nullopt.
std::optional<int> smallNumber(std::string_view text)
{
    int value = 0;
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

struct Birthday {
    int year, month, day;
};

// "YYYY/MM/DD" or "YYYY-MM-DD" with a four-digit year and a month and day of one or two digits.
std::optional<Birthday> parseBirthday(std::string_view text)
{
    const char separator = text.size() > 4 ? text[4] : '\0';
    if (separator != '/' && separator != '-')
        return std::nullopt;
    const std::size_t second = text.find(separator, 5);
    if (second == std::string_view::npos)
        return std::nullopt;
    const std::string_view yearText = text.substr(0, 4);
    const std::string_view monthText = text.substr(5, second - 5);
    const std::string_view dayText = text.substr(second + 1);
    if (monthText.size() > 2 || dayText.size() > 2)
        return std::nullopt;
    const auto year = smallNumber(yearText), month = smallNumber(monthText), day = smallNumber(dayText);
    if (!year || !month || !day)
        return std::nullopt;
    return Birthday{*year, *month, *day};
}

// The sex as the dialog stores it; the English words stand for the three choices too.
std::string_view storedSex(std::string_view given)
{
    if (given == "male")
        return texts::kMale;
    if (given == "female")
        return texts::kFemale;
    if (given == "other")
        return texts::kOtherSex;
    return given;
}

// Registers the user as the dialog does at its first start: the four values of the profile in
// one change of the file, under its update lock, and only while nobody is registered.
int registerUser(Context& context)
{
    if (context.args.size() != 3)
        return usageError(context, "register", "register needs a name, a birthday and a sex");
    const std::string& name = context.args[0];
    if (name.empty())
        return usageError(context, "register", "the name is empty, so nobody would be registered");
    const auto birthday = parseBirthday(context.args[1]);
    if (!birthday)
        return usageError(context, "register", "the birthday must be YYYY/MM/DD (or YYYY-MM-DD)");
    if (!isKeptBirthday(birthday->year, birthday->month, birthday->day))
        return usageError(context, "register", "the birthday must be a real day of the years 1800 to 2099");
    // A birthday after today's year would give a negative age on every page.
    SystemClock clock;
    const Date today = clock.now().date;
    if (const std::string refusal = birthYearRefusal(birthday->year, int(today.year())); !refusal.empty())
        return usageError(context, "register", refusal);
    const auto form = registrationForm(name, birthday->year, birthday->month, birthday->day, storedSex(context.args[2]));
    if (!form)
        return usageError(context, "register", "the sex must be 男性, 女性 or その他 (male, female or other)");

    // Decided once before the lock (a missing file gets no lock file beside it) and once more under
    // it, so that a registration by another process meanwhile is not overwritten.
    SettingsFile settings(context.ini);
    std::unique_ptr<UpdateLock> lock;
    for (int pass = 0; pass < 2; ++pass) {
        const std::optional<std::string> user = BookSnapshot::read(settings).profile().user;
        switch (decideStartup(user)) {
        case Startup::Broken:
            adviseMissingFile(context);
            return kBrokenFile;
        case Startup::Run:
            context.err << "dovi-cli: " << *user << " is already registered in " << context.ini.string()
                        << "; the profile window (dovi-book --profile) changes the profile\n";
            return kFailed;
        case Startup::Register:
            break;
        }
        if (!lock)
            lock = settings.lockForUpdate();
    }

    const WriteResult result = storeProfile(settings, profileValues(*form, today));
    if (!result.ok) {
        context.err << "dovi-cli: " << result.error << "; nothing was registered\n";
        return kFailed;
    }
    context.out << form->name << " is registered in " << context.ini.string() << '\n';
    return kOk;
}

constexpr Command kCommands[] = {
    {"register", "NAME YYYY/MM/DD 男性|女性|その他", registerUser},
};

}  // namespace

std::span<const Command> registerCommands() { return kCommands; }

}  // namespace dovi::cli
