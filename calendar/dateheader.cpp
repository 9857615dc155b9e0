// The date header of the main window. The era comes from ICU's Japanese calendar, so new eras
// arrive with ICU's data; the English month and weekday names are fixed words.
#include "calendar/dateheader.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <string_view>

#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include "texts/texts.h"
#include "calendar/calendar.h"

namespace dovi {

namespace {

constexpr std::string_view kEnglishMonths[] = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December",
};

constexpr std::string_view kEnglishWeekdays[] = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday",
};

constexpr double kMillisPerDay = 86'400'000.0;

// Formats "era name, blank, year of the era" ("平成 12") in ICU's Japanese calendar. The formatter
// works in UTC and is given noon UTC of the wanted day, so the machine's time zone cannot move the
// date. Its calendar is Gregorian throughout (no switch to the Julian calendar in 1582), as
// std::chrono's dates are. Building the formatter loads locale data, so it is built once; ICU
// formatters are not safe for concurrent use, hence the lock.
class EraFormatter {
public:
    EraFormatter()
    {
        const icu::Locale locale("ja_JP@calendar=japanese");
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Calendar> calendar(
            icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), locale, status));
        if (U_FAILURE(status) || !calendar)
            return;
        if (auto* gregorian = dynamic_cast<icu::GregorianCalendar*>(calendar.get())) {
            UErrorCode changeStatus = U_ZERO_ERROR;  // on failure the 1582 switch merely stays
            gregorian->setGregorianChange(U_DATE_MIN, changeStatus);
        }
        // "y", not "yy": the year of the era unpadded and untruncated; "GGGG": the full era name.
        auto format = std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString(u"GGGG y"), locale,
                                                              status);
        if (U_FAILURE(status))
            return;
        format->adoptCalendar(calendar.release());
        format_ = std::move(format);
    }

    // "" only if ICU could not build the Japanese calendar.
    std::string format(Date date)
    {
        if (!format_)
            return {};
        const auto days = std::chrono::sys_days{date}.time_since_epoch().count();
        const UDate noon = static_cast<double>(days) * kMillisPerDay + kMillisPerDay / 2;
        icu::UnicodeString text;
        {
            const std::lock_guard lock(mutex_);
            format_->format(noon, text);
        }
        std::string utf8;
        text.toUTF8String(utf8);
        return utf8;
    }

private:
    std::mutex mutex_;
    std::unique_ptr<icu::SimpleDateFormat> format_;
};

}  // namespace

std::string eraYear(Date date)
{
    static EraFormatter formatter;  // built on first use; C++ makes that initialisation thread-safe
    return formatter.format(date);
}

DateHeader makeDateHeader(Date date)
{
    const int year = static_cast<int>(date.year());
    const unsigned month = static_cast<unsigned>(date.month());  // 1 to 12
    const std::string monthText = std::to_string(month);
    const std::string dayText = std::to_string(static_cast<unsigned>(date.day()));
    const Weekday weekday = weekdayOf(date);
    const std::size_t weekdayIndex = static_cast<std::size_t>(weekdayNumber(weekday) - 1);  // names from Sunday

    char yearText[16];
    std::snprintf(yearText, sizeof yearText, "%04d", year);

    DateHeader header;
    header.eraLine = eraYear(date);
    header.eraLine += texts::kYearUnit;
    header.eraLine += monthText;
    header.eraLine += texts::kMonthUnit;
    header.eraLine += "  ";
    header.eraLine += kEnglishMonths[month - 1];
    header.eraLine += ' ';
    header.eraLine += yearText;

    header.day = dayText;

    header.weekdayLine = texts::kWeekdayNames[weekdayIndex];
    header.weekdayLine += "  ";
    header.weekdayLine += kEnglishWeekdays[weekdayIndex];

    header.caption = monthText;
    header.caption += texts::kMonthUnit;
    header.caption += dayText;
    header.caption += texts::kDayUnit;
    header.caption += texts::kCaptionSuffix;

    if (weekday == Weekday::Sunday)
        header.dayColor = kSundayColor;
    else if (weekday == Weekday::Saturday)
        header.dayColor = kSaturdayColor;
    return header;
}

}  // namespace dovi
