// Rules of the registration dialog, free of widgets: the birthday fields' wrap-around, the texts
// shown for confirmation and the four profile values written to the settings file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "book/profile.h"
#include "calendar/clock.h"
#include "settings/settingsfile.h"

namespace dovi {

// Range and steps of one birthday bar. Minimum and maximum lie one step outside the values kept:
// reaching either end wraps around to the other.
struct BarDesign {
    int minimum;
    int maximum;
    int value;  // at open
    int singleStep;
    int pageStep;
};
inline constexpr BarDesign kYearBar{1799, 2100, 1973, 1, 5};
inline constexpr BarDesign kMonthBar{0, 13, 7, 1, 1};
inline constexpr BarDesign kDayBar{0, 32, 5, 1, 1};

// The last day of a month of the Gregorian calendar: 29 for February in a leap year (divisible
// by 4, and by 400 when divisible by 100), 28 in a common year, 30 for April, June, September and
// November, 31 otherwise.
int lastDayOfMonth(int year, int month);

// The year a bar value stands for: 2100 wraps to 1800 and 1799 to 2099; every other value stays.
int keptYear(int year);

// The month a bar value stands for: 13 wraps to 1 and 0 to 12; every other value stays.
int keptMonth(int month);

// The day after the year or the month has changed: a day beyond the month's last day in that year
// is cut to the last day (31 -> 30 in a 30-day month, 29 or more -> 28 in a common February);
// every other day stays.
int dayForMonth(int year, int month, int day);

// The day a bar value stands for in month of year: any day beyond the month's last day wraps to 1
// (the bar's far end can be reached in one move, so not only the last day + 1), and 0 (or less)
// wraps to the month's last day.
int keptDay(int year, int month, int day);

// Whether a year of birth is possible today: from 1 to the current year. Years after it would
// give a negative age, and 0 or less are no years of the calendar.
bool isPossibleBirthYear(int year, int currentYear);

// The sentence the windows show for a year of birth that isPossibleBirthYear() refuses ("" for a
// possible one), naming the year and the range.
std::string birthYearRefusal(int year, int currentYear);

// A birthday field as its mirror label shows it: the decimal digits after one blank (" 1973",
// " 7"); a negative value shows its minus sign in place of the blank.
std::string mirrorText(int value);

// What the dialog holds when the user registers, as UTF-8.
struct RegistrationForm {
    std::string name;       // the name box followed directly by the form of address
    std::string yearText;   // the three mirror labels, blanks included
    std::string monthText;
    std::string dayText;
    std::string sex;        // "男性", "女性", "その他", or "" while none is chosen
};

// True when the three bars can hold year, month and day together as the dialog keeps them: each
// value lies within its bar and no wrap-around rule above would change it (the years 1800 to 2099,
// the months 1 to 12, the days 1 to lastDayOfMonth(year, month), so 29 February in leap years).
bool isKeptBirthday(int year, int month, int day);

// The form a registration without the dialog fills in: the name with its form of address as
// given, the mirror texts of the birthday and the sex. std::nullopt when the birthday is not kept
// (isKeptBirthday) or sex is none of "男性", "女性" and "その他", the three the dialog offers.
std::optional<RegistrationForm> registrationForm(std::string_view name, int year, int month, int day,
                                                 std::string_view sex);

// The confirmation prompt: four lines separated by a lone carriage return,
// "お名前: " name, "誕生日:" year "年" month "月" day "日", "性別  :" sex, and the closing question.
std::string confirmationPrompt(const RegistrationForm& form);

// The stored birthday: the three mirror texts joined by "/" (" 1973/ 7/ 5").
std::string birthdayText(const RegistrationForm& form);

// The stored registration date: year/month/day without blanks or leading zeros ("2000/1/20").
std::string registrationDateText(const Date& today);

// The four profile values for form, registered today; storeProfile (book/profile.h) writes them.
ProfileText profileValues(const RegistrationForm& form, const Date& today);

// The stored profile taken apart for changing it in the profile window.
struct StoredProfile {
    std::string name;     // the stored name without its form of address
    std::string address;  // the form of address the stored name ends in, or ""
    int year = kYearBar.value;  // the birthday; the registration dialog's opening values when the
    int month = kMonthBar.value;  // stored one cannot be read
    int day = kDayBar.value;
    std::string sex;  // as stored
};

// Splits the stored name, birthday and sex: the form of address is the longest of
// "さん" and the dialog's list that the name ends in with something before it ("" when none); the
// birthday is read as the page reads it (" 1973/ 7/ 5", "1973/7/5").
StoredProfile splitProfile(std::string_view user, std::string_view birthday, std::string_view sex);

// The values a change of the profile writes: the name, the birthday and the sex, as the
// registration writes them; the registration date stays as it is.
ProfileText changedProfileValues(const RegistrationForm& form);

// The prompt before a change: the registration's confirmation prompt with the question
// "以上で変更してよろしいですか？".
std::string changePrompt(const RegistrationForm& form);

}  // namespace dovi
