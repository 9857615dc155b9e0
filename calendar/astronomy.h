// Positions of the Sun and the Moon on ERFA, and the instants at which they reach a longitude.
// Instants are Julian dates (days); `Tt` names are in Terrestrial Time, `Ut` names in UT.
#pragma once

namespace dovi {

// The apparent geocentric ecliptic longitude of the Sun at jdTt, in degrees in [0, 360): referred to
// the ecliptic and equinox of date, with aberration and nutation (IAU 2006/2000B).
double sunLongitude(double jdTt);

// The apparent geocentric ecliptic longitude of the Moon at jdTt, in degrees in [0, 360): the
// position of the light that reaches the Earth's centre at jdTt (light time), of date with nutation.
double moonLongitude(double jdTt);

// The instant in TT at which the Sun's apparent longitude equals `degrees` (in [0, 360)), the one
// nearest to nearTt: exact to well under a second when nearTt lies within a few weeks of it.
double solarLongitudeInstant(double degrees, double nearTt);

// The Sun's apparent longitude (degrees) and its rate (degrees per day) at an instant in TT.
struct SunSample {
    double tt = 0;
    double longitude = 0;
    double rate = 0;
};

// The instant in TT of the new moon (the Moon's and the Sun's apparent longitudes equal) nearest to
// nearTt: exact to well under a second when nearTt lies within about ten days of it. When sun is
// given, it receives the Sun as evaluated within a tenth of a day of that instant.
double newMoonInstant(double nearTt, SunSample* sun = nullptr);

// The Julian day number of the day in Japan Standard Time (UTC+9) that holds the instant jdUt.
long long jstDayNumber(double jdUt);

// The Julian date in UT of midnight at the start of the JST day with Julian day number jdn.
double jstMidnightUt(long long jdn);

}  // namespace dovi
