// The day page build: greeting, birthday book, special days, holiday, life counter and saying,
// with the settings file's reads and writes in a fixed order.
#include "page/daypage.h"

#include <cmath>
#include <utility>

#include "texts/texts.h"
#include "page/birthdaybook.h"
#include "calendar/calendar.h"
#include "page/dayentries.h"
#include "calendar/holidays.h"

namespace dovi {

namespace {

constexpr int kMaxDraws = 50;   // draws of key 0 before the page gives up on a saying

// The greeting by hour of the day (0 to 23) and second (0 to 59). The compliment depends on the
// second; its first and last rows are for women only.
std::string greeting(int hour, int second, std::string_view sex)
{
    std::string text(hour >= 7 && hour <= 11    ? texts::kGoodMorning
                     : hour >= 12 && hour <= 16 ? texts::kGoodDay
                                                : texts::kGoodEvening);
    const bool female = sex == texts::kFemale;
    if (second <= 10) {
        if (female)
            text += texts::kPretty;
    } else if (second >= 15 && second <= 30) {
        text += texts::kWonderful;
    } else if (second >= 40 && second <= 52) {
        text += texts::kLively;
    } else if (second >= 53) {
        if (female)
            text += texts::kCute;
    }
    return text;
}

// Stores text in the next free entry of the message list. The list has 26 entries; a day with
// more birthday and special-day messages shows the first 26 and drops the rest.
void appendMessage(DayPage& page, std::string text)
{
    if (page.messageCount >= kMsgListSize)
        return;
    page.messages[static_cast<std::size_t>(page.messageCount)] = std::move(text);
    ++page.messageCount;
}

std::string daysCountedLine(std::string_view prefix, Date from, Date today)
{
    std::string line(prefix);
    line += std::to_string(daysBetween(from, today));  // the true count, also beyond 16 bits
    line += texts::kDaySuffix;
    return line;
}

// The life counter for a day without messages: days since birth in seconds 0 to 29, days since
// registration in seconds 30 to 59. A profile date that names no real day cannot be counted
// from; the other one is used instead. With neither, there is no counter line.
void addCounterLine(DayPage& page, int second, Date today, std::optional<Date> userBirthday,
                    std::optional<Date> registeredOn)
{
    const bool sinceBirth = second <= 29;
    if (userBirthday && (sinceBirth || !registeredOn))
        page.counterLine = daysCountedLine(texts::kSinceBirthPrefix, *userBirthday, today);
    else if (registeredOn)
        page.counterLine = daysCountedLine(texts::kSinceFirstUsePrefix, *registeredOn, today);
}

// Draws a saying: k = floor(r × N) for uniform r in [0, 1), so keys 1 to N − 1 can come up (never
// N); a draw of 0 is repeated, at most 50 draws in all. The saying's text before its first ","
// goes to Label6, the rest to Label7 (empty when there is no comma). Without a saying the page
// shows the title and the credit line.
void drawSaying(DayPage& page, SettingsStore& settings, RandomSource& random)
{
    random.seedFromClock();
    const int count = sayingCount(settings.read(texts::kInit, texts::kSayingCount));
    for (int draw = 0; draw < kMaxDraws; ++draw) {
        // A float has 24 significant bits and count at most 16: the double product is exact.
        const double product = static_cast<double>(random.next()) * count;
        const long long k = static_cast<long long>(std::floor(product));
        if (k == 0)
            continue;
        const std::string saying = settings.read(texts::kSayings, std::to_string(k));
        const std::size_t comma = saying.find(',');
        page.saying = saying.substr(0, comma);
        page.sayingSource = comma == std::string::npos ? std::string() : saying.substr(comma + 1);
        return;
    }
    page.saying = texts::kTitle;
    page.sayingSource = texts::kCredit;
}

}  // namespace

int sayingCount(std::string_view text)
{
    std::size_t pos = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        pos = 1;
    }
    if (pos == text.size())
        return 0;
    long value = 0;
    for (; pos < text.size(); ++pos) {
        if (text[pos] < '0' || text[pos] > '9')
            return 0;
        value = value * 10 + (text[pos] - '0');
        if (value > 32768)
            return 0;
    }
    if (negative)
        value = -value;
    return value >= -32768 && value <= 32767 ? static_cast<int>(value) : 0;
}

namespace {

// What the page shows for date, given the holiday table's value for its day ("0" for none) and a
// way to compute the holiday when the table has none.
template <typename Computed>
HolidayShown holidayShown(std::string value, Date date, Computed computed)
{
    if (value == texts::kSubstituteCandidate) {
        // The marker stands on the day after a fixed holiday; it is a holiday only on a Monday,
        // and it keeps the computed holidays off that day on every weekday.
        if (weekdayOf(date) == Weekday::Monday)
            return {true, std::string(texts::kSubstituteHoliday)};
        return {};
    }
    if (value != texts::kAbsent)
        return {true, std::move(value)};
    std::string name(computed());
    if (!name.empty())
        return {true, std::move(name)};
    return {};
}

}  // namespace

HolidayShown lookupHoliday(SettingsStore& settings, Date date)
{
    return holidayShown(settings.read(texts::kHolidays, dateKey(date)), date, [&] { return computedHoliday(date); });
}

std::vector<std::pair<Date, HolidayShown>> holidaysOfYear(SettingsStore& settings, int year)
{
    using namespace std::chrono;
    std::vector<std::pair<Date, HolidayShown>> shown;
    const sys_days first{std::chrono::year{year} / 1 / 1};
    const std::vector<std::string_view> computed = computedHolidays(year);
    const auto table = settings.readSection(texts::kHolidays);
    std::vector<std::string> byDay;  // the table's values by month * 32 + day, when the store lists sections
    if (table) {
        byDay.assign(13 * 32, std::string(texts::kAbsent));
        for (const auto& [key, value] : *table)
            if (const auto day = parseDateKey(key))
                byDay[static_cast<unsigned>(day->month()) * 32 + static_cast<unsigned>(day->day())] = value;
    }
    for (std::size_t i = 0; i < computed.size(); ++i) {
        const Date date{first + days{static_cast<int>(i)}};
        std::string value = table ? byDay[static_cast<unsigned>(date.month()) * 32 + static_cast<unsigned>(date.day())]
                                  : settings.read(texts::kHolidays, dateKey(date));
        HolidayShown holiday = holidayShown(std::move(value), date, [&] { return computed[i]; });
        if (holiday.mark)
            shown.emplace_back(date, std::move(holiday));
    }
    return shown;
}

DayPage buildDayPage(SettingsStore& settings, Clock& clock, RandomSource& random)
{
    DayPage page;
    const LocalDateTime start = clock.now();
    const Date today = start.date;
    const std::string key = dateKey(today);

    // The profile, in this order. A date that names no real day reads as none.
    const std::string userName = settings.read(texts::kInit, texts::kUser);
    const std::optional<Date> userBirthday = parseProfileDate(settings.read(texts::kInit, texts::kBirthday));
    const std::string userSex = settings.read(texts::kInit, texts::kSex);
    const std::optional<Date> registeredOn = parseProfileDate(settings.read(texts::kInit, texts::kRegisteredOn));

    // The hour comes from the build's start, the second is read anew for the compliment.
    std::string greetingText = greeting(start.hour, clock.now().second, userSex);
    // A 29 February birthday therefore comes up in leap years only.
    if (userBirthday && userBirthday->month() == today.month() && userBirthday->day() == today.day())
        greetingText = texts::kHappyBirthday;
    page.greeting = greetingText + userName;

    const int year = static_cast<int>(today.year());
    for (const DayEntry& entry : readDayEntries(settings, texts::kBirthdayBook, key))
        appendMessage(page, birthdayMessage(entry.value,
                                            entry.fromBareKey ? kBareKeyYearLength : kLetteredYearLength, year));
    for (DayEntry& entry : readDayEntries(settings, texts::kSpecialDays, key))
        appendMessage(page, std::move(entry.value));

    HolidayShown holiday = lookupHoliday(settings, today);
    if (holiday.mark)
        page.holiday = std::move(holiday.name);

    if (page.messageCount == 0)
        addCounterLine(page, clock.now().second, today, userBirthday, registeredOn);
    drawSaying(page, settings, random);
    return page;
}

}  // namespace dovi
