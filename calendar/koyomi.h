// The 暦 of a day: the old lunisolar date (旧暦) with its 六曜, the 干支 of the day and the year, the
// 二十四節気, 七十二候 and 雑節 that fall on it, and the moon's age. Days are days of Japan Standard
// Time whatever the machine's time zone, as the Japanese calendar reckons them.
//
// The lunisolar calendar is the modern 旧暦: the 天保暦 rules with true new moons and solar terms
// of our own ephemeris (astronomy.h). A month begins on the JST day that holds the new moon; the
// month that holds the winter solstice (冬至) is the 11th; when 13 months lie between two such
// months, the first of them that holds no principal term (中気) is the leap month and repeats the
// number of the month before; otherwise the months are numbered in turn. This gives the leap 11th
// month of 2033 that calendar makers agreed on, where the naive rule "a month without 中気 is a
// leap month" fails (1965, 1984, 2033/34, 2052).
#pragma once

#include <string>
#include <vector>

#include "calendar/clock.h"

namespace dovi {

// The days the 暦 is computed and proven for, both included.
inline constexpr Date kFirstKoyomiDay{std::chrono::year{1900}, std::chrono::January, std::chrono::day{1}};
inline constexpr Date kLastKoyomiDay{std::chrono::year{2100}, std::chrono::December, std::chrono::day{31}};

// True when date is a valid day from kFirstKoyomiDay to kLastKoyomiDay.
bool koyomiCovers(Date date);

// 雑節, the customary days.
enum class Zassetsu {
    Setsubun,         // 節分: the day before 立春
    HiganStart,       // 彼岸入り: three days before 春分 or 秋分
    HiganMiddle,      // 彼岸中日: the day of 春分 or 秋分
    HiganEnd,         // 彼岸明け: three days after
    Shanichi,         // 社日: the 戊 day nearest to 春分 or 秋分; of two equally near, the earlier
    HachijuHachiya,   // 八十八夜: 立春 + 87 days
    Nyubai,           // 入梅: solar longitude 80°
    Hangesho,         // 半夏生: solar longitude 100°
    DoyoStart,        // 土用入り: solar longitude 27°, 117°, 207° or 297°
    NihyakuTooka,     // 二百十日: 立春 + 209 days
    NihyakuHatsuka,   // 二百二十日: 立春 + 219 days
    Omisoka,          // 大晦日: 31 December
};

struct LunarDate {
    int month = 0;  // 1 to 12
    bool leap = false;
    int day = 0;    // 1 to 30
};

struct Koyomi {
    Date date;
    LunarDate lunar;
    int rokuyo = 0;      // 0 大安, 1 赤口, 2 先勝, 3 友引, 4 先負, 5 仏滅: (month + day) mod 6
    int dayKanshi = 0;   // 0 甲子 to 59 癸亥
    int yearKanshi = 0;  // of the civil year, changing on 1 January
    std::vector<int> solarTerms;       // 二十四節気 on this day: 0 立春 to 23 大寒 (at most one)
    std::vector<Zassetsu> zassetsu;    // in the order of the enumeration
    int kou = -1;        // the 七十二候 that begins this day, 0 東風解凍 to 71 鶏始乳, or −1
    double moonAge = 0;  // days since the last new moon at JST noon, rounded to one decimal
};

// The 暦 of date, which koyomiCovers must accept (otherwise the result is all zero and empty).
Koyomi koyomiOf(Date date);

// The 暦 of every day from first to last, both included and both covered; empty when they are not
// or first is after last. Costs far less per day than koyomiOf on each.
std::vector<Koyomi> koyomiRange(Date first, Date last);

// The names shown for the values above.
std::string_view rokuyoName(int rokuyo);
std::string kanshiName(int kanshi);
std::string_view solarTermName(int term);
std::string_view kouName(int kou);
std::string_view zassetsuName(Zassetsu zassetsu);

// The lunisolar date as written on the page: "旧暦十月十八日", "旧暦閏十一月一日".
std::string lunarDateText(LunarDate date);

// The JST days of the year's two equinoxes: {spring, autumn} as days of March and September.
struct EquinoxDays {
    int march = 0;
    int september = 0;
};
EquinoxDays equinoxDays(int year);

}  // namespace dovi
