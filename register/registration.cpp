#include "register/registration.h"

#include "calendar/calendar.h"
#include "texts/texts.h"

#include <algorithm>

namespace dovi {

int lastDayOfMonth(int year, int month)
{
    switch (month) {
    case 2:
        return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0 ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    default:
        return 31;
    }
}

int keptYear(int year)
{
    if (year == kYearBar.maximum)
        return kYearBar.minimum + 1;
    if (year == kYearBar.minimum)
        return kYearBar.maximum - 1;
    return year;
}

int keptMonth(int month)
{
    if (month == kMonthBar.maximum)
        return 1;
    if (month == kMonthBar.minimum)
        return 12;
    return month;
}

int dayForMonth(int year, int month, int day)
{
    return std::min(day, lastDayOfMonth(year, month));
}

int keptDay(int year, int month, int day)
{
    const int last = lastDayOfMonth(year, month);
    if (day > last)
        return 1;
    if (day < 1)
        return last;
    return day;
}

bool isPossibleBirthYear(int year, int currentYear)
{
    return year >= 1 && year <= currentYear;
}

std::string birthYearRefusal(int year, int currentYear)
{
    if (isPossibleBirthYear(year, currentYear))
        return {};
    std::string text(texts::kBirthYearRefusedBefore);
    text += std::to_string(year);
    text += texts::kBirthYearRefusedMiddle;
    text += std::to_string(currentYear);
    text += texts::kBirthYearRefusedAfter;
    return text;
}

std::string mirrorText(int value)
{
    if (value < 0)
        return std::to_string(value);
    std::string text(1, ' ');
    return text += std::to_string(value);
}

bool isKeptBirthday(int year, int month, int day)
{
    const auto onBar = [](const BarDesign& bar, int value) { return value >= bar.minimum && value <= bar.maximum; };
    return onBar(kYearBar, year) && keptYear(year) == year && onBar(kMonthBar, month) && keptMonth(month) == month
           && onBar(kDayBar, day) && keptDay(year, month, day) == day;
}

std::optional<RegistrationForm> registrationForm(std::string_view name, int year, int month, int day,
                                                 std::string_view sex)
{
    if (!isKeptBirthday(year, month, day))
        return std::nullopt;
    if (sex != texts::kMale && sex != texts::kFemale && sex != texts::kOtherSex)
        return std::nullopt;
    return RegistrationForm{std::string(name), mirrorText(year), mirrorText(month), mirrorText(day), std::string(sex)};
}

std::string confirmationPrompt(const RegistrationForm& form)
{
    std::string prompt;
    prompt += texts::kPromptName;
    prompt += form.name;
    prompt += '\r';
    prompt += texts::kPromptBirthday;
    prompt += form.yearText;
    prompt += texts::kYearUnit;
    prompt += form.monthText;
    prompt += texts::kMonthUnit;
    prompt += form.dayText;
    prompt += texts::kDayUnit;
    prompt += '\r';
    prompt += texts::kPromptSex;
    prompt += form.sex;
    prompt += '\r';
    prompt += texts::kPromptQuestion;
    return prompt;
}

std::string birthdayText(const RegistrationForm& form)
{
    return form.yearText + "/" + form.monthText + "/" + form.dayText;
}

std::string registrationDateText(const Date& today)
{
    return std::to_string(int(today.year())) + "/" + std::to_string(unsigned(today.month())) + "/" +
           std::to_string(unsigned(today.day()));
}

ProfileText profileValues(const RegistrationForm& form, const Date& today)
{
    return {form.name, birthdayText(form), form.sex, registrationDateText(today)};
}

StoredProfile splitProfile(std::string_view user, std::string_view birthday, std::string_view sex)
{
    StoredProfile profile;
    profile.name = std::string(user);
    std::string_view best;
    const auto consider = [&](std::string_view address) {
        if (user.size() > address.size() && user.ends_with(address) && address.size() > best.size())
            best = address;
    };
    consider(texts::kDefaultAddress);
    for (std::string_view address : texts::kAddressChoices)
        consider(address);
    profile.address = std::string(best);
    profile.name.resize(user.size() - best.size());
    if (const std::optional<Date> date = parseProfileDate(birthday); date && date->ok()) {
        profile.year = int(date->year());
        profile.month = int(unsigned(date->month()));
        profile.day = int(unsigned(date->day()));
    }
    profile.sex = std::string(sex);
    return profile;
}

ProfileText changedProfileValues(const RegistrationForm& form)
{
    return {form.name, birthdayText(form), form.sex, std::nullopt};
}

std::string changePrompt(const RegistrationForm& form)
{
    std::string prompt = confirmationPrompt(form);
    prompt.resize(prompt.size() - texts::kPromptQuestion.size());
    return prompt += texts::kPromptChangeQuestion;
}

}  // namespace dovi
