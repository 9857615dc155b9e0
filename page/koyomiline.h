// The 暦 as the windows show it: the page's one-line 暦 under the day of the month, the full 暦 of
// a day line by line (the page's tooltip, the book window's day panel), and the small marks of a
// day in the book window's month calendar. Plain text, with the 六曜 left out when it is off.
#pragma once

#include <string>
#include <vector>

#include "book/koyomisettings.h"
#include "calendar/koyomi.h"

namespace dovi {

// The 二十四節気 that falls on the day, else its first 雑節 (in the order of Zassetsu), else "".
std::string seasonalMark(const Koyomi& koyomi);

// The page's line: the 旧暦 date, a blank and the 六曜 when rokuyo is on, then a full-width blank
// and seasonalMark() when the day has one: "旧暦十月十八日 大安　大雪", "旧暦二月一日 友引".
std::string koyomiLine(const Koyomi& koyomi, bool rokuyo);

// The line for date under settings: "" when the line is off or the date lies outside the days
// the 暦 covers (koyomiCovers), where the page shows no line at all.
std::string koyomiLineFor(Date date, const KoyomiSettings& settings);

// The full 暦 of the day in three groups of lines: the date (the 旧暦 date; "六曜：大安" when rokuyo
// is on), the cycles (the 干支 of the day "日の干支：甲子" and of the year "年の干支：丙午", and
// "月齢：12.3"), and the season (the 二十四節気, the 七十二候 that begins and the 雑節, when the day
// has them; often none).
struct KoyomiDetails {
    std::vector<std::string> date;
    std::vector<std::string> cycles;
    std::vector<std::string> season;

    // All lines, group after group.
    std::vector<std::string> lines() const;
};
KoyomiDetails koyomiDetails(const Koyomi& koyomi, bool rokuyo);

// The small marks of a day in a month calendar: its 六曜 ("" when rokuyo is off) and seasonalMark().
struct KoyomiMarks {
    std::string rokuyo;
    std::string seasonal;
};
KoyomiMarks koyomiMarks(const Koyomi& koyomi, bool rokuyo);

}  // namespace dovi
