// The 暦 of a day from the instants of new moons and the Sun's longitude at JST midnights. An
// Almanac keeps what it has computed, so that a range of days costs little more than its months.
#include "calendar/koyomi.h"

#include <array>
#include <cmath>
#include <unordered_map>

#include "calendar/astronomy.h"
#include "calendar/deltat.h"
#include "texts/koyomi.h"

namespace dovi {

namespace {

using std::chrono::days;
using std::chrono::sys_days;

constexpr long long kUnixEpochJdn = 2440588;        // 1970-01-01
constexpr double kSynodicMonth = 29.530588861;      // mean days from new moon to new moon
constexpr double kFirstNewMoonOf2000 = 2451550.09766;  // the mean new moon of 6 January 2000, TT

// Where to start looking for new moon number k (0 is the one of 6 January 2000): the mean new
// moon with the six largest periodic terms, within about a quarter of an hour of the true one, so
// that the search needs the Earth's ephemeris only once. (Mean elements and terms from the usual
// lunar phase series; the instant itself comes from the ephemeris.)
double newMoonGuessTt(long long k)
{
    constexpr double kRad = 3.14159265358979323846 / 180.0;
    const auto n = static_cast<double>(k);
    const double sunAnomaly = (2.5534 + 29.10535670 * n) * kRad;
    const double moonAnomaly = (201.5643 + 385.81693528 * n) * kRad;
    const double latitudeArgument = (160.7108 + 390.67050284 * n) * kRad;
    return kFirstNewMoonOf2000 + kSynodicMonth * n - 0.40720 * std::sin(moonAnomaly)
           + 0.17241 * std::sin(sunAnomaly) + 0.01608 * std::sin(2 * moonAnomaly)
           + 0.01039 * std::sin(2 * latitudeArgument) + 0.00739 * std::sin(moonAnomaly - sunAnomaly)
           - 0.00514 * std::sin(moonAnomaly + sunAnomaly);
}

long long jdnOf(Date date)
{
    return sys_days{date}.time_since_epoch().count() + kUnixEpochJdn;
}

Date dateOf(long long jdn)
{
    return Date{sys_days{days{jdn - kUnixEpochJdn}}};
}

// The longitude reached after moving forwards from a to b, less than a turn: b, or b + 360°.
double unwrapped(double a, double b)
{
    return b < a ? b + 360.0 : b;
}

// How many whole multiples of `every` degrees the Sun reaches between longitudes a (included) and
// b (excluded) that it has at two consecutive midnights: the instant at midnight belongs to the
// day that begins then.
int multiplesPassed(double a, double b, double every)
{
    return static_cast<int>(std::ceil(unwrapped(a, b) / every) - std::ceil(a / every));
}

// True when the Sun reaches longitude l between the longitudes a (included) and b (excluded) that
// it has at two consecutive midnights.
bool passes(double a, double b, double l)
{
    const double toL = l < a ? l + 360.0 - a : l - a;
    return toL < unwrapped(a, b) - a;
}

// What has been computed of the sky: the Sun's longitude at JST midnights and the new moons,
// each computed once on first use.
class Almanac {
public:
    // The Sun's apparent longitude at the start of JST day jdn, in degrees.
    double sunAtMidnight(long long jdn)
    {
        if (const auto it = sun_.find(jdn); it != sun_.end())
            return it->second;
        const double lon = sunLongitude(ttFromUt(jstMidnightUt(jdn)));
        sun_.emplace(jdn, lon);
        return lon;
    }

    // True when the Sun reaches longitude l during JST day jdn.
    bool sunPasses(long long jdn, double l) { return passes(sunAtMidnight(jdn), sunAtMidnight(jdn + 1), l); }

    // The instant in UT of new moon number k (0 is the one of 6 January 2000).
    double newMoonUt(long long k)
    {
        if (const auto it = newMoon_.find(k); it != newMoon_.end())
            return it->second;
        SunSample sun;
        const double ut = utFromTt(newMoonInstant(newMoonGuessTt(k), &sun));
        newMoon_.emplace(k, ut);
        sunAtNewMoon_.emplace(k, sun);
        return ut;
    }

    // The JST day on which lunar month k begins.
    long long monthStart(long long k) { return jstDayNumber(newMoonUt(k)); }

    // The lunar month that holds JST day jdn.
    long long monthHolding(long long jdn)
    {
        auto k = static_cast<long long>(std::floor((static_cast<double>(jdn) - kFirstNewMoonOf2000) / kSynodicMonth));
        while (monthStart(k) > jdn)
            --k;
        while (monthStart(k + 1) <= jdn)
            ++k;
        return k;
    }

    // The Sun's longitude at the midnight that begins month k. Within a day of the new moon the Sun
    // taken as moving uniformly from where the search for the new moon saw it errs by under 1″;
    // only where that leaves a whole degree in doubt is the ephemeris asked.
    double sunAtMonthStart(long long k)
    {
        const long long jdn = monthStart(k);
        if (const auto it = sun_.find(jdn); it != sun_.end())
            return it->second;
        const SunSample& sun = sunAtNewMoon_.at(k);
        const double lon = sun.longitude + sun.rate * (ttFromUt(jstMidnightUt(jdn)) - sun.tt);
        const double wrapped = lon - 360.0 * std::floor(lon / 360.0);
        return std::fabs(wrapped - std::round(wrapped)) > 0.002 ? wrapped : sunAtMidnight(jdn);
    }

    // How many principal terms (中気, every 30° of solar longitude) month k holds: 0, 1 or 2.
    int principalTermsIn(long long k)
    {
        return multiplesPassed(sunAtMonthStart(k), sunAtMonthStart(k + 1), 30.0);
    }

    // The lunar month that holds the winter solstice (270°) of the given civil year.
    long long solsticeMonth(int year)
    {
        if (const auto it = solsticeMonth_.find(year); it != solsticeMonth_.end())
            return it->second;
        // The solstice falls on 21 to 23 December; start from the month holding 21 December.
        long long k = monthHolding(jdnOf(Date{std::chrono::year{year}, std::chrono::December, std::chrono::day{21}}));
        for (int i = 0; i < 3 && !holdsSolstice(k); ++i)
            k += sunAtMonthStart(k + 1) < 270.0 ? 1 : -1;
        solsticeMonth_.emplace(year, k);
        return k;
    }

    // The lunisolar date of JST day jdn.
    LunarDate lunarDate(long long jdn)
    {
        const long long k = monthHolding(jdn);
        const int year = static_cast<int>(dateOf(jdn).year());
        long long first = solsticeMonth(year);
        long long next = 0;
        if (k >= first) {
            next = solsticeMonth(year + 1);
        } else {
            next = first;
            first = solsticeMonth(year - 1);
        }
        // Months are counted from the solstice month, which is the 11th.
        auto index = k - first;  // in [0, 12] since next − first is 12 or 13
        bool leap = false;
        if (next - first == 13) {
            // Only a leap month up to this one changes its number.
            long long leapIndex = 13;
            for (long long i = 1; i <= index; ++i) {
                if (principalTermsIn(first + i) == 0) {
                    leapIndex = i;
                    break;
                }
            }
            leap = index == leapIndex;
            if (index >= leapIndex)
                --index;
        }
        LunarDate date;
        date.month = static_cast<int>((10 + index) % 12) + 1;
        date.leap = leap;
        date.day = static_cast<int>(jdn - monthStart(k)) + 1;
        return date;
    }

    // Days from the last new moon to JST noon of day jdn.
    double moonAgeAtNoon(long long jdn)
    {
        const double noon = jstMidnightUt(jdn) + 0.5;
        long long k = monthHolding(jdn);
        if (newMoonUt(k) > noon)
            --k;
        return noon - newMoonUt(k);
    }

    // Fills in the Sun's longitude at every midnight from first to last + 1 at one evaluation of
    // the ephemeris every four days: the others are interpolated, except where the interpolated
    // value lies so close to a whole degree (where a term could change its day) that only the
    // ephemeris decides.
    void fillSun(long long first, long long last)
    {
        constexpr long long kStep = 4;
        const long long from = first - kStep;
        const long long to = last + 2 * kStep;
        std::vector<double> nodes;
        for (long long j = from; j <= to; j += kStep)
            nodes.push_back(sunAtMidnight(j));
        for (std::size_t i = 1; i + 2 < nodes.size(); ++i) {
            // Cubic interpolation through four nodes, unwrapped across 360°.
            std::array<double, 4> y{nodes[i - 1], nodes[i], nodes[i + 1], nodes[i + 2]};
            for (std::size_t n = 1; n < 4; ++n)
                while (y[n] < y[n - 1])
                    y[n] += 360.0;
            const long long base = from + static_cast<long long>(i) * kStep;
            for (long long d = 1; d < kStep; ++d) {
                const double x = static_cast<double>(d) / kStep;  // in (0, 1), the nodes at −1, 0, 1, 2
                const double lon = -x * (x - 1) * (x - 2) / 6 * y[0] + (x + 1) * (x - 1) * (x - 2) / 2 * y[1]
                                   - (x + 1) * x * (x - 2) / 2 * y[2] + (x + 1) * x * (x - 1) / 6 * y[3];
                const double wrapped = lon - 360.0 * std::floor(lon / 360.0);
                if (std::fabs(wrapped - std::round(wrapped)) > 0.002)  // 7″: the error is far smaller
                    sun_.emplace(base + d, wrapped);
                else
                    sunAtMidnight(base + d);
            }
        }
    }

    void reserve(std::size_t dayCount) { sun_.reserve(dayCount); }

private:
    bool holdsSolstice(long long k) { return passes(sunAtMonthStart(k), sunAtMonthStart(k + 1), 270.0); }

    std::unordered_map<long long, double> sun_;
    std::unordered_map<long long, double> newMoon_;
    std::unordered_map<long long, SunSample> sunAtNewMoon_;
    std::unordered_map<int, long long> solsticeMonth_;
};

constexpr double kSpringEquinox = 0.0;
constexpr double kAutumnEquinox = 180.0;
constexpr double kRisshun = 315.0;

// The 雑節 of day jdn, whose Sun is at longitude lon at its start.
std::vector<Zassetsu> zassetsuOf(Almanac& almanac, long long jdn, double lon, int dayKanshi, Date date)
{
    std::vector<Zassetsu> found;
    auto near = [lon](double l, double within) { return std::fabs(std::remainder(lon - l, 360.0)) < within; };
    if (near(kRisshun, 3) && almanac.sunPasses(jdn + 1, kRisshun))
        found.push_back(Zassetsu::Setsubun);
    for (const double equinox : {kSpringEquinox, kAutumnEquinox}) {
        if (!near(equinox, 8))
            continue;
        if (almanac.sunPasses(jdn + 3, equinox))
            found.push_back(Zassetsu::HiganStart);
        if (almanac.sunPasses(jdn, equinox))
            found.push_back(Zassetsu::HiganMiddle);
        if (almanac.sunPasses(jdn - 3, equinox))
            found.push_back(Zassetsu::HiganEnd);
        // The 戊 days are ten days apart, so exactly one lies from five days before the equinox
        // day to four after: the nearest, or of two five days away the earlier.
        if (dayKanshi % 10 == 4) {
            for (long long e = jdn - 4; e <= jdn + 5; ++e)
                if (almanac.sunPasses(e, equinox))
                    found.push_back(Zassetsu::Shanichi);
        }
    }
    if (near(41, 4) && almanac.sunPasses(jdn - 87, kRisshun))
        found.push_back(Zassetsu::HachijuHachiya);
    if (almanac.sunPasses(jdn, 80.0))
        found.push_back(Zassetsu::Nyubai);
    if (almanac.sunPasses(jdn, 100.0))
        found.push_back(Zassetsu::Hangesho);
    for (const double doyo : {27.0, 117.0, 207.0, 297.0})
        if (almanac.sunPasses(jdn, doyo))
            found.push_back(Zassetsu::DoyoStart);
    if (near(159, 5) && almanac.sunPasses(jdn - 209, kRisshun))
        found.push_back(Zassetsu::NihyakuTooka);
    if (near(169, 5) && almanac.sunPasses(jdn - 219, kRisshun))
        found.push_back(Zassetsu::NihyakuHatsuka);
    if (date.month() == std::chrono::December && date.day() == std::chrono::day{31})
        found.push_back(Zassetsu::Omisoka);
    return found;
}

long long floorMod(long long a, long long n)
{
    return ((a % n) + n) % n;
}

Koyomi koyomiOn(Almanac& almanac, Date date)
{
    const long long jdn = jdnOf(date);
    Koyomi k;
    k.date = date;
    k.lunar = almanac.lunarDate(jdn);
    k.rokuyo = (k.lunar.month + k.lunar.day) % 6;
    k.dayKanshi = static_cast<int>(floorMod(jdn + 49, 60));
    k.yearKanshi = static_cast<int>(floorMod(static_cast<int>(date.year()) - 4, 60));
    const double lon = almanac.sunAtMidnight(jdn);
    const double next = almanac.sunAtMidnight(jdn + 1);
    if (multiplesPassed(lon, next, 5.0) > 0) {
        // The Sun moves about 1° a day, so at most one 5° step falls on a day.
        const int step = static_cast<int>(std::ceil(lon / 5.0)) % 72;  // 5°·step reached today
        k.kou = static_cast<int>(floorMod(step - 63, 72));                  // 315° is pentad 0
        if (k.kou % 3 == 0)
            k.solarTerms.push_back(k.kou / 3);
    }
    k.zassetsu = zassetsuOf(almanac, jdn, lon, k.dayKanshi, date);
    k.moonAge = std::round(almanac.moonAgeAtNoon(jdn) * 10.0) / 10.0;
    return k;
}

}  // namespace

bool koyomiCovers(Date date)
{
    return date.ok() && date >= kFirstKoyomiDay && date <= kLastKoyomiDay;
}

Koyomi koyomiOf(Date date)
{
    if (!koyomiCovers(date))
        return {};
    Almanac almanac;
    return koyomiOn(almanac, date);
}

std::vector<Koyomi> koyomiRange(Date first, Date last)
{
    if (!koyomiCovers(first) || !koyomiCovers(last) || first > last)
        return {};
    Almanac almanac;
    const long long a = jdnOf(first);
    const long long b = jdnOf(last);
    almanac.reserve(static_cast<std::size_t>(b - a + 400));
    // Reaches back for 二百二十日 (立春 + 219 days) and forward for 節分 and 彼岸入り.
    almanac.fillSun(a - 230, b + 10);
    std::vector<Koyomi> out;
    out.reserve(static_cast<std::size_t>(b - a + 1));
    for (long long d = a; d <= b; ++d)
        out.push_back(koyomiOn(almanac, dateOf(d)));
    return out;
}

std::string_view rokuyoName(int rokuyo)
{
    return rokuyo >= 0 && rokuyo < 6 ? texts::kRokuyo[rokuyo] : std::string_view();
}

std::string kanshiName(int kanshi)
{
    if (kanshi < 0 || kanshi >= 60)
        return {};
    return std::string(texts::kJikkan[kanshi % 10]) + std::string(texts::kJunishi[kanshi % 12]);
}

std::string_view solarTermName(int term)
{
    return term >= 0 && term < 24 ? texts::kSolarTerms[term] : std::string_view();
}

std::string_view kouName(int kou)
{
    return kou >= 0 && kou < 72 ? texts::kKou[kou] : std::string_view();
}

std::string_view zassetsuName(Zassetsu zassetsu)
{
    switch (zassetsu) {
    case Zassetsu::Setsubun: return texts::kSetsubun;
    case Zassetsu::HiganStart: return texts::kHiganStart;
    case Zassetsu::HiganMiddle: return texts::kHiganMiddle;
    case Zassetsu::HiganEnd: return texts::kHiganEnd;
    case Zassetsu::Shanichi: return texts::kShanichi;
    case Zassetsu::HachijuHachiya: return texts::kHachijuHachiya;
    case Zassetsu::Nyubai: return texts::kNyubai;
    case Zassetsu::Hangesho: return texts::kHangesho;
    case Zassetsu::DoyoStart: return texts::kDoyoStart;
    case Zassetsu::NihyakuTooka: return texts::kNihyakuTooka;
    case Zassetsu::NihyakuHatsuka: return texts::kNihyakuHatsuka;
    case Zassetsu::Omisoka: return texts::kOmisoka;
    }
    return {};
}

std::string lunarDateText(LunarDate date)
{
    auto kanji = [](int n) {  // 1 to 30
        std::string s;
        if (n >= 20)
            s += texts::kKanjiDigits[n / 10];
        if (n >= 10)
            s += texts::kKanjiTen;
        s += texts::kKanjiDigits[n % 10];
        return s;
    };
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 30)
        return {};
    std::string s(texts::kKyureki);
    if (date.leap)
        s += texts::kLeap;
    return s + kanji(date.month) + std::string(texts::kLunarMonth) + kanji(date.day) + std::string(texts::kLunarDay);
}

EquinoxDays equinoxDays(int year)
{
    // The equinoxes fall on 19 to 22 March and 21 to 24 September in any year near ours.
    auto dayOf = [year](double longitude, unsigned month) {
        const double guess = static_cast<double>(jdnOf(Date{std::chrono::year{year}, std::chrono::month{month},
                                                            std::chrono::day{21}}));
        const long long jdn = jstDayNumber(utFromTt(solarLongitudeInstant(longitude, guess)));
        return static_cast<int>(static_cast<unsigned>(dateOf(jdn).day()));
    };
    return {dayOf(kSpringEquinox, 3), dayOf(kAutumnEquinox, 9)};
}

}  // namespace dovi
