#include "page/koyomiline.h"

#include <cstdio>

#include "texts/koyomi.h"

namespace dovi {

std::string seasonalMark(const Koyomi& koyomi)
{
    // 春分 and 秋分 are also 彼岸中日: the term names the day, as calendars print it.
    if (!koyomi.solarTerms.empty())
        return std::string(solarTermName(koyomi.solarTerms.front()));
    if (!koyomi.zassetsu.empty())
        return std::string(zassetsuName(koyomi.zassetsu.front()));
    return {};
}

std::string koyomiLine(const Koyomi& koyomi, bool rokuyo)
{
    std::string line = lunarDateText(koyomi.lunar);
    if (rokuyo)
        line += " " + std::string(rokuyoName(koyomi.rokuyo));
    if (const std::string mark = seasonalMark(koyomi); !mark.empty())
        line += "　" + mark;
    return line;
}

std::string koyomiLineFor(Date date, const KoyomiSettings& settings)
{
    if (!settings.line || !koyomiCovers(date))
        return {};
    return koyomiLine(koyomiOf(date), settings.rokuyo);
}

std::vector<std::string> KoyomiDetails::lines() const
{
    std::vector<std::string> all = date;
    all.insert(all.end(), cycles.begin(), cycles.end());
    all.insert(all.end(), season.begin(), season.end());
    return all;
}

KoyomiDetails koyomiDetails(const Koyomi& koyomi, bool rokuyo)
{
    KoyomiDetails details;
    details.date.push_back(lunarDateText(koyomi.lunar));
    if (rokuyo)
        details.date.push_back(std::string(texts::kRokuyoHeading) + std::string(rokuyoName(koyomi.rokuyo)));
    details.cycles.push_back(std::string(texts::kDayKanshiHeading) + kanshiName(koyomi.dayKanshi));
    details.cycles.push_back(std::string(texts::kYearKanshiHeading) + kanshiName(koyomi.yearKanshi));
    char age[16];
    std::snprintf(age, sizeof age, "%.1f", koyomi.moonAge);
    details.cycles.push_back(std::string(texts::kMoonAgeHeading) + age);
    auto joined = [](std::string_view heading, const auto& values, auto name) {
        std::string line(heading);
        for (std::size_t i = 0; i < values.size(); ++i)
            line += (i > 0 ? std::string(texts::kListSeparator) : std::string()) + std::string(name(values[i]));
        return line;
    };
    if (!koyomi.solarTerms.empty())
        details.season.push_back(joined(texts::kSolarTermHeading, koyomi.solarTerms, solarTermName));
    if (koyomi.kou >= 0)
        details.season.push_back(std::string(texts::kKouHeading) + std::string(kouName(koyomi.kou)));
    if (!koyomi.zassetsu.empty())
        details.season.push_back(joined(texts::kZassetsuHeading, koyomi.zassetsu, zassetsuName));
    return details;
}

KoyomiMarks koyomiMarks(const Koyomi& koyomi, bool rokuyo)
{
    return {rokuyo ? std::string(rokuyoName(koyomi.rokuyo)) : std::string(), seasonalMark(koyomi)};
}

}  // namespace dovi
