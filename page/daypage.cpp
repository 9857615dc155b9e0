// The day page build: greeting, birthday book, special days, holiday, life counter and saying,
// from one snapshot of the settings file.
#include "page/daypage.h"

#include <cmath>
#include <utility>

#include "book/bookedit.h"
#include "calendar/calendar.h"
#include "page/birthdaybook.h"
#include "texts/texts.h"

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
    if (page.messages.size() >= kMsgListSize)
        return;
    page.messages.push_back(std::move(text));
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
// N); a draw of 0 is repeated, at most 50 draws in all. The saying's text goes to Label6, its
// source to Label7. Without a saying the page shows the title and the credit line.
void drawSaying(DayPage& page, const BookSnapshot& snapshot, RandomSource& random)
{
    random.seedFromClock();
    const int count = snapshot.sayingCount();
    for (int draw = 0; draw < kMaxDraws; ++draw) {
        // A float has 24 significant bits and count at most 16: the double product is exact.
        const double product = static_cast<double>(random.next()) * count;
        const long long k = static_cast<long long>(std::floor(product));
        if (k == 0)
            continue;
        Saying saying = sayingShown(snapshot.sayingValue(k));
        page.saying = std::move(saying.text);
        page.sayingSource = std::move(saying.source);
        return;
    }
    page.saying = texts::kTitle;
    page.sayingSource = texts::kCredit;
}

}  // namespace

PageMoment pageMoment(const LocalDateTime& at) { return {at, at.second, at.second}; }

PageMoment readPageMoment(Clock& clock)
{
    PageMoment moment;
    moment.start = clock.now();
    moment.greetingSecond = clock.now().second;
    moment.counterSecond = clock.now().second;
    return moment;
}

DayPage buildPage(const BookSnapshot& snapshot, const PageMoment& moment, RandomSource& random)
{
    DayPage page;
    const Date today = moment.start.date;
    const std::string key = dateKey(today);
    const Profile& profile = snapshot.profile();

    // The hour comes from the build's start, the second is read anew for the compliment.
    std::string greetingText = greeting(moment.start.hour, moment.greetingSecond, profile.sex.value_or(""));
    // A 29 February birthday therefore comes up in leap years only.
    if (profile.birthday && profile.birthday->month() == today.month() && profile.birthday->day() == today.day())
        greetingText = texts::kHappyBirthday;
    page.greeting = greetingText + userAsRead(profile);

    const int year = static_cast<int>(today.year());
    for (const BookEntry& entry : snapshot.shownEntries(Book::Birthdays, key))
        appendMessage(page, birthdayMessage(parseBirthday(entry.value, entry.bareKey ? kBareKeyYearLength
                                                                                      : kLetteredYearLength),
                                            year));
    for (const BookEntry& entry : snapshot.shownEntries(Book::SpecialDays, key))
        appendMessage(page, entry.value);

    HolidayShown holiday = lookupHoliday(snapshot, today);
    if (holiday.mark)
        page.holiday = std::move(holiday.name);

    if (page.messages.empty())
        addCounterLine(page, moment.counterSecond, today, profile.birthday, profile.registeredOn);
    drawSaying(page, snapshot, random);
    // Last, after everything the page itself reads: the window shows the 暦 line by these.
    page.koyomi = snapshot.koyomiSettings();
    return page;
}

DayPage buildDayPage(SettingsStore& settings, Clock& clock, RandomSource& random)
{
    const PageMoment moment = readPageMoment(clock);
    return buildDayPage(settings, BookSnapshot::read(settings), moment, random);
}

DayPage buildDayPage(SettingsStore& settings, BookSnapshot snapshot, const PageMoment& moment, RandomSource& random)
{
    const std::string key = dateKey(moment.start.date);
    for (const Book book : {Book::Birthdays, Book::SpecialDays}) {
        const std::vector<BookEntry>& shown = snapshot.shownEntries(book, key);
        if (!shown.empty() && shown.back().bareKey)
            snapshot.replaceShownEntries(book, key, moveBareEntries(settings, book, key).shown);
    }
    return buildPage(snapshot, moment, random);
}

}  // namespace dovi
