// The day page below the date header: greeting, birthday book, special days, holiday, life
// counter and saying, built from one snapshot of the settings file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "book/holidaytable.h"
#include "book/koyomisettings.h"
#include "book/snapshot.h"
#include "calendar/clock.h"
#include "page/random.h"
#include "settings/settingsfile.h"

namespace dovi {

inline constexpr int kMsgListSize = 26;

// What the page build found for the day, by role. pageLabels() turns it into what each label of the
// window shows.
struct DayPage {
    std::string greeting;                  // greeting or birthday wish with the user's name
    std::optional<std::string> holiday;    // set when the holiday mark shows; the name may be ""
    std::vector<std::string> messages;     // birthdays, then special days: at most kMsgListSize
    std::optional<std::string> counterLine;  // days lived or used, on a day without messages
    std::string saying;                    // the saying, or the title when none can be drawn
    std::string sayingSource;              // its source, or the credit line
    KoyomiSettings koyomi;                 // the switches of the 暦 line, from the same read

    int messageCount() const { return static_cast<int>(messages.size()); }
};

// The moments the build reads: the hour and date from the start, the second of the greeting's
// compliment and the second that picks the counter line, each read anew.
struct PageMoment {
    LocalDateTime start;
    int greetingSecond = 0;
    int counterSecond = 0;
};
// One moment for all three.
PageMoment pageMoment(const LocalDateTime& at);
// The start, then the two seconds, read from clock in that order.
PageMoment readPageMoment(Clock& clock);

// The page of snapshot at moment; random draws the saying. Reads nothing else and writes nothing.
DayPage buildPage(const BookSnapshot& snapshot, const PageMoment& moment, RandomSource& random);

// The build as the calendar runs it: one snapshot of settings, the move of the day's entries of
// the older form to letters (the only writes; see moveBareEntries), then buildPage. The entries
// just moved keep their older reading on this page.
DayPage buildDayPage(SettingsStore& settings, Clock& clock, RandomSource& random);
// The same on a snapshot already read from settings.
DayPage buildDayPage(SettingsStore& settings, BookSnapshot snapshot, const PageMoment& moment, RandomSource& random);

}  // namespace dovi
