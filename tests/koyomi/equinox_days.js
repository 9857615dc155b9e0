// Throw-away data maker: the days of 春分の日 and 秋分の日 in the Cabinet Office's list of national
// holidays (npm japanese-public-holidays, 1955 on), one line each: YYYY-MM-DD
const fs = require('fs');
const csv = fs.readFileSync(require('path').join(process.env.NODE_PATH, 'japanese-public-holidays', 'index.csv'), 'utf8');
for (const line of csv.split('\n'))
  if (line.endsWith(',春分の日') || line.endsWith(',秋分の日'))
    console.log(line.split(',')[0]);
