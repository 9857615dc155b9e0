// Throw-away data maker: the first day of every lunar month from 1912-02 to 2050-12 in the Korea
// Astronomy and Space Science Institute's table (npm korean-lunar-calendar), one line each:
//     YYYY-MM-DD month leap(0|1)
// Run by make_data.sh with the package installed outside the source tree.
const KoreanLunarCalendar = require('korean-lunar-calendar');
const cal = new KoreanLunarCalendar();
const day = new Date(Date.UTC(1912, 1, 1));
const end = new Date(Date.UTC(2050, 11, 31));
const pad = (n) => String(n).padStart(2, '0');
for (let first = true; day <= end; day.setUTCDate(day.getUTCDate() + 1), first = false) {
  const y = day.getUTCFullYear(), m = day.getUTCMonth() + 1, d = day.getUTCDate();
  cal.setSolarDate(y, m, d);
  const l = cal.getLunarCalendar();
  if (l.day === 1 || first)
    console.log(`${y}-${pad(m)}-${pad(d)} ${l.month} ${l.intercalation ? 1 : 0} ${l.day}`);
}
