// koyomi: the 暦 of a day or of a range of days, for people or as JSON lines. Needs no settings file.
#include <charconv>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "calendar/koyomi.h"
#include "cli/commands.h"
#include "cli/textout.h"
#include "texts/koyomi.h"

namespace dovi::cli {

namespace {

// "YYYY-MM-DD" naming a real day, or std::nullopt.
std::optional<Date> parseDay(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    auto number = [text](std::size_t at, std::size_t length) -> std::optional<unsigned> {
        const std::string_view digits = text.substr(at, length);
        unsigned value = 0;
        if (digits.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec != std::errc() || end != digits.data() + digits.size())
            return std::nullopt;
        return value;
    };
    const auto y = number(0, 4);
    const auto m = number(5, 2);
    const auto d = number(8, 2);
    if (!y || !m || !d)
        return std::nullopt;
    const Date date{std::chrono::year{static_cast<int>(*y)}, std::chrono::month{*m}, std::chrono::day{*d}};
    return date.ok() ? std::optional<Date>(date) : std::nullopt;
}

std::string isoDay(Date date)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::string moonAgeText(double age)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", age);
    return text;
}

// One line for people: "2017-02-18 旧暦一月二十二日 仏滅 丙子日 丁酉年 月齢21.1 雨水 候:土脉潤起".
std::string dayLine(const Koyomi& k)
{
    std::string line = isoDay(k.date) + ' ' + lunarDateText(k.lunar) + ' ' + std::string(rokuyoName(k.rokuyo)) + ' '
                       + kanshiName(k.dayKanshi) + std::string(texts::kKanshiOfDay) + ' ' + kanshiName(k.yearKanshi)
                       + std::string(texts::kKanshiOfYear) + ' ' + std::string(texts::kMoonAge) + moonAgeText(k.moonAge);
    for (const int term : k.solarTerms)
        line += ' ' + std::string(solarTermName(term));
    for (const Zassetsu z : k.zassetsu)
        line += ' ' + std::string(zassetsuName(z));
    if (k.kou >= 0)
        line += ' ' + std::string(texts::kKouMark) + std::string(kouName(k.kou));
    return line;
}

nlohmann::ordered_json dayJson(const Koyomi& k)
{
    nlohmann::ordered_json json;
    json["date"] = isoDay(k.date);
    json["lunarMonth"] = k.lunar.month;
    json["leapMonth"] = k.lunar.leap;
    json["lunarDay"] = k.lunar.day;
    json["rokuyo"] = rokuyoName(k.rokuyo);
    json["dayKanshi"] = kanshiName(k.dayKanshi);
    json["yearKanshi"] = kanshiName(k.yearKanshi);
    json["terms"] = nlohmann::ordered_json::array();
    for (const int term : k.solarTerms)
        json["terms"].push_back(solarTermName(term));
    json["zassetsu"] = nlohmann::ordered_json::array();
    for (const Zassetsu z : k.zassetsu)
        json["zassetsu"].push_back(zassetsuName(z));
    json["kou"] = k.kou >= 0 ? nlohmann::ordered_json(kouName(k.kou)) : nullptr;
    json["moonAge"] = k.moonAge;
    return json;
}

int koyomi(Context& context)
{
    bool json = false;
    std::vector<Date> days;
    for (const std::string& arg : context.args) {
        if (arg == "--json") {
            json = true;
        } else if (const auto day = parseDay(arg); day && days.size() < 2) {
            days.push_back(*day);
        } else {
            return usageError(context, "koyomi", "'" + arg + "' is not a day written YYYY-MM-DD");
        }
    }
    if (days.empty())
        return usageError(context, "koyomi", "koyomi needs a day, or a first and a last day");
    const Date from = days.front();
    const Date to = days.back();
    if (!koyomiCovers(from) || !koyomiCovers(to)) {
        context.err << "dovi-cli: the 暦 is computed for the days from 1900-01-01 to 2100-12-31 only.\n";
        return kUsage;
    }
    if (to < from) {
        context.err << "dovi-cli: the last day comes before the first.\n";
        return kUsage;
    }
    const std::vector<Koyomi> range = from == to ? std::vector<Koyomi>{koyomiOf(from)} : koyomiRange(from, to);
    if (json) {
        std::ostream& raw = rawStream(context.out);
        for (const Koyomi& k : range)
            raw << dayJson(k).dump() << '\n';
    } else {
        for (const Koyomi& k : range)
            context.out << dayLine(k) << '\n';
    }
    return kOk;
}

constexpr Command kCommands[] = {
    {"koyomi", "FROM [TO] [--json]", koyomi},
};

}  // namespace

std::span<const Command> koyomiCommands() { return kCommands; }

}  // namespace dovi::cli
