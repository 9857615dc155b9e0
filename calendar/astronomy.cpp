// The Sun from ERFA's Earth ephemeris (eraEpv00), the Moon from its lunar theory (eraMoon98), both
// turned to the ecliptic and equinox of date (eraEcm06) and nutated (eraNut00b). The instants are
// found by Newton's and the secant method from a guess, on functions that are smooth and nearly
// linear there.
#include "calendar/astronomy.h"

#include <cmath>

#include <erfa.h>
#include <erfam.h>

namespace dovi {

namespace {

constexpr double kMjdZero = 2400000.5;      // ERFA takes dates in two parts for precision
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kSunDegreesPerDay = 0.98565;       // the Sun's mean motion in longitude
constexpr double kSynodicDegreesPerDay = 12.19075;  // the Moon's mean motion away from the Sun
constexpr double kEnough = 1e-8;                    // days: below a millisecond

// An angle in degrees brought into [−180, 180).
double centred(double degrees)
{
    return degrees - 360.0 * std::floor((degrees + 180.0) / 360.0);
}

// The ecliptic longitude of date, in degrees in [0, 360), of a direction p in the ICRS at jdTt,
// with the nutation in longitude added; `rate` receives the rate of change in degrees per day of
// the longitude of p moving with velocity v (nutation's own rate, under 0.1″ a day, left out).
double longitudeOfDate(const double p[3], const double v[3], double jdTt, double* rate)
{
    double rm[3][3];
    eraEcm06(kMjdZero, jdTt - kMjdZero, rm);
    double e[3];
    double ev[3];
    eraRxp(rm, const_cast<double*>(p), e);
    eraRxp(rm, const_cast<double*>(v), ev);
    double dpsi = 0.0;
    double deps = 0.0;
    eraNut00b(kMjdZero, jdTt - kMjdZero, &dpsi, &deps);
    if (rate)
        *rate = (e[0] * ev[1] - e[1] * ev[0]) / (e[0] * e[0] + e[1] * e[1]) * kDegreesPerRadian;
    const double lon = (std::atan2(e[1], e[0]) + dpsi) * kDegreesPerRadian;
    return lon - 360.0 * std::floor(lon / 360.0);
}

// The Sun's apparent longitude at jdTt and its rate in degrees per day.
double sunLongitudeAndRate(double jdTt, double* rate)
{
    double helio[2][3];
    double bary[2][3];
    eraEpv00(kMjdZero, jdTt - kMjdZero, helio, bary);
    // The Sun as seen from the Earth: the Earth's heliocentric position reversed. The Sun moves
    // too little in the eight minutes of light time to matter; the Earth's motion gives aberration.
    double toSun[3];
    double sunMotion[3];
    eraSxp(-1.0, helio[0], toSun);
    eraSxp(-1.0, helio[1], sunMotion);
    double distance = 0.0;
    double direction[3];
    eraPn(toSun, &distance, direction);
    double v[3];
    eraSxp(1.0 / ERFA_DC, bary[1], v);  // the Earth's velocity in units of c
    const double bm1 = std::sqrt(1.0 - eraPm(v) * eraPm(v));
    double apparent[3];
    eraAb(direction, v, distance, bm1, apparent);
    eraSxp(distance, apparent, apparent);
    return longitudeOfDate(apparent, sunMotion, jdTt, rate);
}

// The instant near guess at which the Moon's longitude equals sunAt + sunRate · (t − guess): the
// Sun is taken as moving uniformly, which over a tenth of a day is exact to a tenth of a second.
double moonMeetsLine(double guess, double sunAt, double sunRate)
{
    auto offset = [&](double t) { return centred(moonLongitude(t) - (sunAt + sunRate * (t - guess))); };
    double t0 = guess;
    double f0 = offset(t0);
    double t1 = t0 - f0 / kSynodicDegreesPerDay;
    for (int i = 0; i < 20 && std::fabs(t1 - t0) >= kEnough; ++i) {  // about four steps
        const double f1 = offset(t1);
        if (f1 == f0)
            break;
        const double t2 = t1 - f1 * (t1 - t0) / (f1 - f0);
        t0 = t1;
        f0 = f1;
        t1 = t2;
    }
    return t1;
}

}  // namespace

double sunLongitude(double jdTt)
{
    return sunLongitudeAndRate(jdTt, nullptr);
}

double moonLongitude(double jdTt)
{
    double pv[2][3];
    eraMoon98(kMjdZero, jdTt - kMjdZero, pv);
    // The light arriving now left the Moon about 1.3 s ago: take the Moon where it was then, moved
    // back along its velocity. The Earth's own motion shifts the Moon and its light alike, so no
    // aberration is added.
    const double lightTime = eraPm(pv[0]) / ERFA_DC;  // days
    double then[3];
    eraPpsp(pv[0], -lightTime, pv[1], then);
    return longitudeOfDate(then, pv[1], jdTt, nullptr);
}

double solarLongitudeInstant(double degrees, double nearTt)
{
    // Newton's method with the Sun's own rate: two or three evaluations of the Earth's ephemeris.
    double t = nearTt;
    for (int i = 0; i < 10; ++i) {
        double rate = kSunDegreesPerDay;
        const double step = centred(sunLongitudeAndRate(t, &rate) - degrees) / rate;
        t -= step;
        if (std::fabs(step) < kEnough)
            break;
    }
    return t;
}

double newMoonInstant(double nearTt, SunSample* sunThen)
{
    // The Earth's ephemeris costs far more than the Moon's, so the Sun is evaluated once at the
    // guess and once more near the answer, and taken as moving uniformly in between.
    double t = nearTt;
    for (int i = 0; i < 4; ++i) {
        double rate = kSunDegreesPerDay;
        const double sun = sunLongitudeAndRate(t, &rate);
        const double next = moonMeetsLine(t, sun, rate);
        if (sunThen)
            *sunThen = {t, sun, rate};
        const bool close = std::fabs(next - t) < 0.1;  // days: the uniform Sun is then exact to 0.1 s
        t = next;
        if (close)
            break;
    }
    return t;
}

long long jstDayNumber(double jdUt)
{
    // Julian days begin at noon UT; JST is nine hours ahead of UT.
    return static_cast<long long>(std::floor(jdUt + 0.5 + 9.0 / 24.0));
}

double jstMidnightUt(long long jdn)
{
    return static_cast<double>(jdn) - 0.5 - 9.0 / 24.0;
}

}  // namespace dovi
