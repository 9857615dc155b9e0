/* Throw-away data maker, never part of the program: the instants of every new moon and of every
 * solar longitude 5°·k and 27°/117°/207°/297° from late 1899 to early 2102, from the Swiss
 * Ephemeris (DE431 files of Debian's swe-basic-data). Prints one line per instant:
 *     S|M  longitude  JD(TT)  JD(UT)
 * with UT from the Swiss Ephemeris's own ΔT. Built and run by make_data.sh only. */
#include <math.h>
#include <stdio.h>
#include <swephexp.h>

static double lon(int body, double tt)
{
    double x[6];
    char err[256];
    swe_calc(tt, body, SEFLG_SWIEPH, x, err);
    return x[0];
}

static double centred(double d)
{
    return d - 360.0 * floor((d + 180.0) / 360.0);
}

static double sunOff(double tt, double target)
{
    return centred(lon(SE_SUN, tt) - target);
}

static double moonOff(double tt, double unused)
{
    (void)unused;
    return centred(lon(SE_MOON, tt) - lon(SE_SUN, tt));
}

/* Bisection on a bracket where f changes sign: slow but beyond doubt. */
static double bisect(double (*f)(double, double), double a, double b, double arg)
{
    double fa = f(a, arg);
    for (int i = 0; i < 60 && b - a > 1e-9; ++i) {
        double m = 0.5 * (a + b), fm = f(m, arg);
        if ((fa <= 0) == (fm <= 0)) { a = m; fa = fm; } else b = m;
    }
    return 0.5 * (a + b);
}

static void print(char kind, double l, double tt)
{
    char err[256];
    double ut = tt - swe_deltat_ex(tt, SEFLG_SWIEPH, err);
    ut = tt - swe_deltat_ex(ut, SEFLG_SWIEPH, err);
    printf("%c %g %.7f %.7f\n", kind, l, tt, ut);
}

int main(void)
{
    swe_set_ephe_path("/usr/share/libswe/ephe");
    const double first = swe_julday(1899, 11, 1, 0, SE_GREG_CAL);
    const double last = swe_julday(2102, 3, 1, 0, SE_GREG_CAL);
    const double step = 0.25;
    /* Walk in quarter days; a sign change from − to + of the offset brackets one instant. */
    for (double t = first; t < last; t += step) {
        double a = lon(SE_SUN, t), b = lon(SE_SUN, t + step);
        for (int k = 0; k < 72 + 4; ++k) {
            double target = k < 72 ? 5.0 * k : 27.0 + 90.0 * (k - 72);
            if (centred(a - target) < 0 && centred(b - target) >= 0)
                print('S', target, bisect(sunOff, t, t + step, target));
        }
        if (moonOff(t, 0) < 0 && moonOff(t + step, 0) >= 0 && fabs(moonOff(t, 0)) < 20)
            print('M', 0, bisect(moonOff, t, t + step, 0));
    }
    return 0;
}
