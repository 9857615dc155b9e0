// ΔT = TT − UT: how far the uniform time of the ephemerides runs ahead of the Earth's rotation.
#pragma once

namespace dovi {

// ΔT in seconds at the given moment, as a decimal year (2017.5 is mid-2017). Values from 1900 to
// 2028 come from the table in deltat.cpp, interpolated linearly; after 2028 from the stated
// extrapolation; before 1900 the 1900 value. Never fails.
double deltaTSeconds(double decimalYear);

// The Julian date in TT of the Julian date jdUt in UT, and back (to well under a millisecond).
double ttFromUt(double jdUt);
double utFromTt(double jdTt);

}  // namespace dovi
