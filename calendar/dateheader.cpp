// The date header of the main window. The era comes from ICU's Japanese calendar, so new eras
// arrive with ICU's data; the English month and weekday names are fixed words.
#include "calendar/dateheader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

#include <unicode/unistr.h>
#include <unicode/ures.h>

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

// The eras of ICU's Japanese calendar, read from ICU's data: each era's first day from the
// supplemental calendar data, its name from the Japanese locale's era names. The era of a date is
// the one with the latest first day on or before it (the first era for earlier dates, whose years
// of the era are then 0 or less), as ICU's Japanese calendar reckons it, with the Gregorian
// calendar throughout. Reading the two tables costs far less memory and time than building an
// ICU calendar and date formatter, which load every date symbol and number format of the locale.
// Eras that ICU's data marks as tentative (not yet named) are left out, as ICU leaves them out
// unless told otherwise.
class EraTable {
public:
    EraTable()
    {
        UErrorCode status = U_ZERO_ERROR;
        Bundle data(ures_openDirect(nullptr, "supplementalData", &status));
        Bundle eras = child(data, {"calendarData", "japanese", "eras"});
        Bundle locale(ures_open(nullptr, "ja", &status));
        Bundle names = child(locale, {"calendar", "japanese", "eras", "wide"});
        if (!names)
            names = child(locale, {"calendar", "japanese", "eras", "abbreviated"});
        if (!eras || !names)
            return;
        const int32_t count = ures_getSize(eras.get());
        for (int32_t i = 0; i < count; ++i) {
            UErrorCode eraStatus = U_ZERO_ERROR;
            Bundle era(ures_getByIndex(eras.get(), i, nullptr, &eraStatus));
            if (!era)
                continue;
            Bundle named(ures_getByKey(era.get(), "named", nullptr, &eraStatus));
            if (named) {
                int32_t length = 0;
                const UChar* flag = ures_getString(named.get(), &length, &eraStatus);
                if (flag && icu::UnicodeString(flag, length) == icu::UnicodeString(u"false"))
                    continue;
            }
            eraStatus = U_ZERO_ERROR;
            Bundle start(ures_getByKey(era.get(), "start", nullptr, &eraStatus));
            int32_t length = 0;
            const int32_t* ymd = start ? ures_getIntVector(start.get(), &length, &eraStatus) : nullptr;
            const int number = std::atoi(ures_getKey(era.get()));  // the era's index in the names
            int32_t nameLength = 0;
            const UChar* name = ures_getStringByIndex(names.get(), number, &nameLength, &eraStatus);
            if (U_FAILURE(eraStatus) || !ymd || length < 3 || !name)
                continue;
            std::string utf8;
            icu::UnicodeString(name, nameLength).toUTF8String(utf8);
            eras_.push_back({ymd[0] * 10000LL + ymd[1] * 100LL + ymd[2], ymd[0], std::move(utf8)});
        }
        std::sort(eras_.begin(), eras_.end(), [](const Era& a, const Era& b) { return a.start < b.start; });
    }

    // "" only if ICU's data has no Japanese eras.
    std::string format(Date date) const
    {
        if (eras_.empty())
            return {};
        const int year = static_cast<int>(date.year());
        const long long key =
            year * 10000LL + static_cast<unsigned>(date.month()) * 100LL + static_cast<unsigned>(date.day());
        auto after = std::upper_bound(eras_.begin(), eras_.end(), key,
                                      [](long long k, const Era& era) { return k < era.start; });
        const Era& era = after == eras_.begin() ? eras_.front() : *(after - 1);
        return era.name + " " + std::to_string(year - era.firstYear + 1);
    }

private:
    struct BundleCloser {
        void operator()(UResourceBundle* bundle) const { ures_close(bundle); }
    };
    using Bundle = std::unique_ptr<UResourceBundle, BundleCloser>;

    // The resource at path below parent, or null when parent is null or a step is missing.
    static Bundle child(const Bundle& parent, std::initializer_list<const char*> path)
    {
        if (!parent)
            return nullptr;
        UErrorCode status = U_ZERO_ERROR;
        Bundle found(ures_getByKey(parent.get(), *path.begin(), nullptr, &status));
        for (auto step = path.begin() + 1; found && U_SUCCESS(status) && step != path.end(); ++step)
            found.reset(ures_getByKey(found.get(), *step, nullptr, &status));
        return U_SUCCESS(status) ? std::move(found) : nullptr;
    }
    struct Era {
        long long start;  // the first day as year * 10000 + month * 100 + day
        int firstYear;
        std::string name;
    };
    std::vector<Era> eras_;
};

}  // namespace

std::string eraYear(Date date)
{
    static const EraTable table;  // read on first use; C++ makes that initialisation thread-safe
    return table.format(date);
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
