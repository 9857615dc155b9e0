#include "bench/inigen.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "settings/codepage.h"
#include "texts/texts.h"
#include "calendar/calendar.h"

namespace dovi::bench {

namespace {

using namespace std::chrono;

constexpr int kDaysInYear = 366;          // the keys of a leap year cover every day
constexpr std::size_t kMaxLetters = 20;   // entries per day and section, below the 26 letters
constexpr std::size_t kDatedLineBytes = 30;  // about one birthday or special-day line
constexpr int kMaxSayingCount = 32767;    // the count is a 16-bit signed number

constexpr std::array kSayingStarts{
    "急がば回れ", "石の上にも三年", "塵も積もれば山となる", "七転び八起き", "笑う門には福来る", "継続は力なり",
    "雨垂れ石を穿つ", "千里の道も一歩から", "早起きは三文の徳", "案ずるより産むが易し", "備えあれば憂いなし",
    "果報は寝て待て", "失敗は成功のもと", "習うより慣れろ", "一期一会", "初心忘るべからず",
};
constexpr std::array kSayingEnds{
    "。今日も一歩ずつ進みましょう", "。焦らずに続けることが大切です", "。小さな努力が大きな実を結びます", "",
    "。肩の力を抜いていきましょう", "。周りの人への感謝を忘れずに", "。明日はきっと良い日になります", "",
    "。できることから始めてみましょう", "。笑顔は何よりの贈り物です", "。深呼吸をしてから始めましょう",
    "。一日一善を心がけて",
};
constexpr std::array kSources{
    "ことわざ", "故事成語", "昔からの言い伝え", "茶道の心得", "祖母の口癖", "", "読者の便り", "作者不詳",
    "古い手帳より", "先人の知恵",
};
constexpr std::array kSurnames{
    "佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺", "山本", "中村", "小林", "加藤", "吉田", "山田",
};
constexpr std::array kGivenNames{
    "太郎", "花子", "一郎", "美咲", "健太", "陽子", "大輔", "由美", "翔太", "恵子", "拓也", "直美",
};
constexpr std::array kEvents{
    "結婚記念日", "入社記念日", "母の誕生日会", "町内会の清掃", "ピアノの発表会", "健康診断", "車検の期限",
    "同窓会", "旅行の出発日", "犬の誕生日", "お墓参り", "運動会", "歯医者の予約", "ゴミ収集日の変更",
    "読書会", "植木の手入れ", "家族写真の日", "年賀状の準備", "梅干しを漬ける日", "衣替え",
};
constexpr std::array<std::pair<const char*, std::string_view>, 20> kHolidayTable{{
    {"01/01", texts::kNewYearsDay}, {"01/02", texts::kSubstituteCandidate},
    {"02/11", texts::kFoundationDay}, {"02/12", texts::kSubstituteCandidate},
    {"04/29", texts::kGreeneryDay}, {"04/30", texts::kSubstituteCandidate},
    {"05/03", texts::kConstitutionDay}, {"05/04", texts::kCitizensHoliday},
    {"05/05", texts::kChildrensDay}, {"05/06", texts::kSubstituteCandidate},
    {"07/20", texts::kMarineDay}, {"07/21", texts::kSubstituteCandidate},
    {"09/15", texts::kRespectForTheAgedDay}, {"09/16", texts::kSubstituteCandidate},
    {"11/03", texts::kCultureDay}, {"11/04", texts::kSubstituteCandidate},
    {"11/23", texts::kLabourThanksgivingDay}, {"11/24", texts::kSubstituteCandidate},
    {"12/23", texts::kEmperorsBirthday}, {"12/24", texts::kSubstituteCandidate},
}};

// A fixed pseudo-random sequence, so that a size always gives the same file.
class Picker {
public:
    std::size_t operator()(std::size_t n)
    {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::size_t>(state_ >> 33) % n;
    }

private:
    std::uint64_t state_ = 20000120;
};

template <typename Pool>
std::string pick(Picker& picker, const Pool& pool)
{
    return std::string(pool[picker(pool.size())]);
}

// Lines of UTF-8 text collected as Shift-JIS bytes with CR LF.
class Writer {
public:
    void line(const std::string& utf8)
    {
        auto encoded = codec_.encode(utf8);
        if (!encoded) {
            std::fprintf(stderr, "inigen: a line has no Shift-JIS form: %s\n", utf8.c_str());
            std::abort();
        }
        bytes.append(*encoded).append("\r\n");
    }
    void section(std::string_view name) { line(std::string(1, '[').append(name).append("]")); }
    void entry(std::string_view key, std::string_view value) { line(std::string(key).append("=").append(value)); }

    std::string bytes;

private:
    codepage::Codec codec_{FileEncoding::Cp932};
};

std::vector<std::string> dateKeysOfTheYear()
{
    std::vector<std::string> keys;
    for (sys_days day = sys_days{year{2000} / January / 1}; keys.size() < kDaysInYear; day += days{1})
        keys.push_back(dateKey(year_month_day{day}));
    return keys;
}

}  // namespace

namespace {

std::string makeFile(std::size_t targetBytes, bool withBareKey, int fixedSayings)
{
    Picker picker;
    const std::vector<std::string> keys = dateKeysOfTheYear();
    // A quarter of the file goes to the two dated sections, half each, up to kMaxLetters a day;
    // entry j lands on day j mod 366 under letter j / 366, so the letters of each day are consecutive.
    // A file with a fixed number of sayings has them full.
    const std::size_t fullTables = kMaxLetters * static_cast<std::size_t>(kDaysInYear);
    const std::size_t perSection =
        fixedSayings > 0 ? fullTables : std::min(targetBytes / 4 / 2 / kDatedLineBytes, fullTables);

    Writer dated;
    dated.section(texts::kHolidays);
    for (const auto& [key, name] : kHolidayTable)
        dated.entry(key, name);
    dated.section(texts::kSpecialDays);
    for (std::size_t j = 0; j < perSection; ++j) {
        std::string event = pick(picker, kEvents);
        if (picker(3) == 0)
            event.append("（第").append(std::to_string(picker(50) + 1)).append("回）");
        dated.entry(letteredKey(static_cast<int>(j / kDaysInYear), keys[j % kDaysInYear]), event);
    }
    if (withBareKey)
        dated.entry(kMoveDateKey, kMoveValue);
    dated.section(texts::kBirthdayBook);
    for (std::size_t j = 0; j < perSection; ++j) {
        std::string person = pick(picker, kSurnames) + pick(picker, kGivenNames);
        const std::size_t form = picker(4);
        if (form != 3)
            person.append(form == 0 ? "," : ":").append(std::to_string(1930 + picker(80)));
        dated.entry(letteredKey(static_cast<int>(j / kDaysInYear), keys[j % kDaysInYear]), person);
    }

    const auto initBlock = [](int sayingCount) {
        Writer init;
        init.section(texts::kInit);
        init.entry(texts::kUser, "山田太郎さん");
        init.entry(texts::kBirthday, " 1973/ 7/ 5");
        init.entry(texts::kSex, texts::kMale);
        init.entry(texts::kRegisteredOn, "2000/1/1");
        init.entry(texts::kSayingCount, std::to_string(sayingCount));
        return init.bytes;
    };

    // Sayings fill the rest. Numbers beyond the largest count stay in the file, unread, as in a
    // collection that has outgrown the counter.
    Writer sayings;
    sayings.section(texts::kSayings);
    const std::size_t fixed = initBlock(1).size() + dated.bytes.size();
    // With a fixed number, each saying gets more sentences until the sayings so far fill their
    // share of the size (lines stay below the longest value a read gives).
    codepage::Codec shiftJis(FileEncoding::Cp932);
    const std::size_t share = fixedSayings > 0 && targetBytes > fixed ? (targetBytes - fixed) / static_cast<std::size_t>(fixedSayings) : 0;
    int count = 0;
    while (fixedSayings > 0 ? count < fixedSayings : fixed + sayings.bytes.size() < targetBytes || count < 2) {
        ++count;
        std::string saying = pick(picker, kSayingStarts) + pick(picker, kSayingEnds);
        while (sayings.bytes.size() + shiftJis.encode(saying)->size() + 40 < share * static_cast<std::size_t>(count) &&
               shiftJis.encode(saying)->size() < 900)
            saying.append("。").append(pick(picker, kSayingStarts)).append(pick(picker, kSayingEnds));
        const std::string source = pick(picker, kSources);
        if (!source.empty())
            saying.append(",").append(source);
        sayings.entry(std::to_string(count), saying);
    }
    const int stored = fixedSayings > 0 ? fixedSayings + 1 : std::min(count, kMaxSayingCount);
    return initBlock(stored) + dated.bytes + sayings.bytes;
}

}  // namespace

std::string makeSettingsFile(std::size_t targetBytes, bool withBareKey) { return makeFile(targetBytes, withBareKey, 0); }

std::string makeSettingsFileWithSayings(std::size_t targetBytes, int sayingCount)
{
    return makeFile(targetBytes, false, std::max(sayingCount, 1));
}

}  // namespace dovi::bench
