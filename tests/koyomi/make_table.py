#!/usr/bin/env python3
"""Throw-away data maker: the 暦 of every day from 1900-01-01 to 2100-12-31 from the Swiss Ephemeris
instants that swe_instants prints (on standard input), written apart from the program's code.

Writes, gzip-compressed, to the folder given as the only argument:
  swe_days.txt.gz      one line per day from 1900-01-01 on:
                       month leap(0|1) day rokuyo(0-5) dayKanshi(0-59) kou(-1|0-71) zassetsu
                       with zassetsu the codes of its customary
                       days joined by "," or "-": s 節分, hi 彼岸入り, hm 彼岸中日, he 彼岸明け,
                       sh 社日, h8 八十八夜, ny 入梅, hg 半夏生, do 土用入り, n0 二百十日,
                       n2 二百二十日, om 大晦日
  swe_instants.txt.gz  the instants in TT of the new moons (M) and of the solar longitudes 15°·k
                       and 27°/80°/100°/117°/207°/297° (S), from 1900 to 2100: kind longitude jd
Days are JST days (UTC+9) of the instants in UT that the Swiss Ephemeris gives with its own ΔT.
"""
import datetime
import gzip
import math
import sys

out = sys.argv[1]
new_moons = []        # (jd UT, jd TT)
solar = {}            # longitude -> list of (jd UT, jd TT)
for line in sys.stdin:
    kind, lon, tt, ut = line.split()
    if kind == 'M':
        new_moons.append((float(ut), float(tt)))
    else:
        solar.setdefault(float(lon), []).append((float(ut), float(tt)))


def jst_day(jd_ut):
    """The proleptic Gregorian date of the JST day that holds jd_ut."""
    jdn = math.floor(jd_ut + 0.5 + 9 / 24)
    return datetime.date.fromordinal(jdn - 1721425)


def jdn_of(date):
    return date.toordinal() + 1721425


FIRST = datetime.date(1900, 1, 1)
LAST = datetime.date(2100, 12, 31)

# Lunar months: each begins on the JST day of a new moon.
starts = [jst_day(ut) for ut, _ in new_moons]
chuki = sorted(jst_day(ut) for lon in range(0, 360, 30) for ut, _ in solar[float(lon)])
solstices = [jst_day(ut) for ut, _ in solar[270.0]]


def count_between(days, a, b):
    return sum(1 for d in days if a <= d < b)


# Number the months between consecutive solstice months.
solstice_month = [max(i for i, s in enumerate(starts) if s <= w) for w in solstices]
names = {}  # month index -> (number, leap)
for a, b in zip(solstice_month, solstice_month[1:]):
    leap_at = None
    if b - a == 13:
        leap_at = next(i for i in range(a + 1, b) if count_between(chuki, starts[i], starts[i + 1]) == 0)
    number = 11
    for i in range(a, b):
        if i == leap_at:
            names[i] = (names[i - 1][0], True)
            continue
        names[i] = (number, False)
        number = number % 12 + 1

# Days of the solar longitudes.
def days_of(lon):
    return {jst_day(ut) for ut, _ in solar[float(lon)]}


kou_day = {}
for k in range(72):
    lon = (315 + 5 * k) % 360
    for d in days_of(lon):
        kou_day[d] = k
risshun = days_of(315)
equinoxes = days_of(0) | days_of(180)
events = {}
def add(day, code):
    events.setdefault(day, []).append(code)

for r in risshun:
    add(r - datetime.timedelta(days=1), 's')
for e in sorted(equinoxes):
    add(e - datetime.timedelta(days=3), 'hi')
    add(e, 'hm')
    add(e + datetime.timedelta(days=3), 'he')
    # 社日: the 戊 day nearest the equinox day; of the two five days away, the earlier.
    for off in range(-5, 5):
        d = e + datetime.timedelta(days=off)
        if (jdn_of(d) + 49) % 60 % 10 == 4:
            add(d, 'sh')
for r in risshun:
    add(r + datetime.timedelta(days=87), 'h8')
for d in days_of(80):
    add(d, 'ny')
for d in days_of(100):
    add(d, 'hg')
for lon in (27, 117, 207, 297):
    for d in days_of(lon):
        add(d, 'do')
for r in risshun:
    add(r + datetime.timedelta(days=209), 'n0')
    add(r + datetime.timedelta(days=219), 'n2')
for y in range(1900, 2101):
    add(datetime.date(y, 12, 31), 'om')
ORDER = ['s', 'hi', 'hm', 'he', 'sh', 'h8', 'ny', 'hg', 'do', 'n0', 'n2', 'om']

with gzip.open(f'{out}/swe_days.txt.gz', 'wt', compresslevel=9) as f:
    m = 0
    day = FIRST
    while day <= LAST:
        while starts[m + 1] <= day:
            m += 1
        number, leap = names[m]
        lunar_day = (day - starts[m]).days + 1
        kanshi = (jdn_of(day) + 49) % 60
        codes = sorted(events.get(day, []), key=ORDER.index)
        f.write(f"{number} {int(leap)} {lunar_day} {(number + lunar_day) % 6} {kanshi} "
                f"{kou_day.get(day, -1)} {','.join(codes) or '-'}\n")
        day += datetime.timedelta(days=1)

with gzip.open(f'{out}/swe_instants.txt.gz', 'wt', compresslevel=9) as f:
    lo, hi = 2415020.5, 2488434.5   # 1900-01-01 to 2101-01-01
    for ut, tt in new_moons:
        if lo <= tt < hi:
            f.write(f"M 0 {tt:.6f}\n")
    for lon in sorted(solar):
        if lon % 15 == 0 or lon in (27, 80, 100, 117, 207, 297):
            for ut, tt in solar[lon]:
                if lo <= tt < hi:
                    f.write(f"S {lon:g} {tt:.6f}\n")
