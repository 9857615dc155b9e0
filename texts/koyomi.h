// The names of the 暦: the old lunisolar calendar, its six-day cycle, the sexagenary cycle, the
// solar terms, the seventy-two pentads and the customary days.
#pragma once

#include <string_view>

namespace dovi::texts {

// 六曜, numbered by (lunar month + lunar day) mod 6.
inline constexpr std::string_view kRokuyo[] = {"大安", "赤口", "先勝", "友引", "先負", "仏滅"};

// 十干 and 十二支: the sexagenary cycle's n-th pair (0 = 甲子) is kJikkan[n % 10], kJunishi[n % 12].
inline constexpr std::string_view kJikkan[] = {"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
inline constexpr std::string_view kJunishi[] = {"子", "丑", "寅", "卯", "辰", "巳",
                                                "午", "未", "申", "酉", "戌", "亥"};

// 二十四節気 from 立春 (solar longitude 315°) on, one every 15°.
inline constexpr std::string_view kSolarTerms[] = {
    "立春", "雨水", "啓蟄", "春分", "清明", "穀雨", "立夏", "小満", "芒種", "夏至", "小暑", "大暑",
    "立秋", "処暑", "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至", "小寒", "大寒"};

// 七十二候 as the 略本暦 names them, from 立春's first pentad (315°) on, one every 5°.
inline constexpr std::string_view kKou[] = {
    "東風解凍", "黄鶯睍睆", "魚上氷", "土脉潤起", "霞始靆", "草木萌動", "蟄虫啓戸", "桃始笑",
    "菜虫化蝶", "雀始巣", "桜始開", "雷乃発声", "玄鳥至", "鴻雁北", "虹始見", "葭始生",
    "霜止出苗", "牡丹華", "蛙始鳴", "蚯蚓出", "竹笋生", "蚕起食桑", "紅花栄", "麦秋至",
    "蟷螂生", "腐草為螢", "梅子黄", "乃東枯", "菖蒲華", "半夏生", "温風至", "蓮始開",
    "鷹乃学習", "桐始結花", "土潤溽暑", "大雨時行", "涼風至", "寒蝉鳴", "蒙霧升降", "綿柎開",
    "天地始粛", "禾乃登", "草露白", "鶺鴒鳴", "玄鳥去", "雷乃収声", "蟄虫坏戸", "水始涸",
    "鴻雁来", "菊花開", "蟋蟀在戸", "霜始降", "霎時施", "楓蔦黄", "山茶始開", "地始凍",
    "金盞香", "虹蔵不見", "朔風払葉", "橘始黄", "閉塞成冬", "熊蟄穴", "鱖魚群", "乃東生",
    "麋角解", "雪下出麦", "芹乃栄", "水泉動", "雉始雊", "款冬華", "水沢腹堅", "鶏始乳"};

// 雑節.
inline constexpr std::string_view kSetsubun = "節分";
inline constexpr std::string_view kHiganStart = "彼岸入り";
inline constexpr std::string_view kHiganMiddle = "彼岸中日";
inline constexpr std::string_view kHiganEnd = "彼岸明け";
inline constexpr std::string_view kShanichi = "社日";
inline constexpr std::string_view kHachijuHachiya = "八十八夜";
inline constexpr std::string_view kNyubai = "入梅";
inline constexpr std::string_view kHangesho = "半夏生";
inline constexpr std::string_view kDoyoStart = "土用入り";
inline constexpr std::string_view kNihyakuTooka = "二百十日";
inline constexpr std::string_view kNihyakuHatsuka = "二百二十日";
inline constexpr std::string_view kOmisoka = "大晦日";

// Parts of the written lunisolar date: "旧暦" "閏" month "月" day "日", the numbers in kanji.
inline constexpr std::string_view kKyureki = "旧暦";
inline constexpr std::string_view kLeap = "閏";
inline constexpr std::string_view kLunarMonth = "月";
inline constexpr std::string_view kLunarDay = "日";
inline constexpr std::string_view kKanjiDigits[] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
inline constexpr std::string_view kKanjiTen = "十";

// The day's line of dovi-cli koyomi: "丙子日 丁酉年 月齢21.1 … 候:土脉潤起".
inline constexpr std::string_view kKanshiOfDay = "日";
inline constexpr std::string_view kKanshiOfYear = "年";
inline constexpr std::string_view kMoonAge = "月齢";
inline constexpr std::string_view kKouMark = "候:";

// The settings of the 暦 in the settings file: section "暦", key "表示" for the page's 暦 line and
// key "六曜" for the 六曜 on the page and in the book window. "しない" turns one off; any other value,
// and none, leave it on.
inline constexpr std::string_view kKoyomiSection = "暦";
inline constexpr std::string_view kKoyomiLineKey = "表示";
inline constexpr std::string_view kRokuyoKey = "六曜";
inline constexpr std::string_view kSettingOn = "する";
inline constexpr std::string_view kSettingOff = "しない";

// The full 暦 of a day, one line each, for the page's tooltip and the book window's day panel.
inline constexpr std::string_view kRokuyoHeading = "六曜：";
inline constexpr std::string_view kDayKanshiHeading = "日の干支：";
inline constexpr std::string_view kYearKanshiHeading = "年の干支：";
inline constexpr std::string_view kSolarTermHeading = "二十四節気：";
inline constexpr std::string_view kKouHeading = "七十二候：";
inline constexpr std::string_view kZassetsuHeading = "雑節：";
inline constexpr std::string_view kMoonAgeHeading = "月齢：";
inline constexpr std::string_view kListSeparator = "、";

// The book window: its switches of the 暦, and what its month calendar and its 暦 of the day are.
inline constexpr std::string_view kBookKoyomiLine = "ページに暦を表示(&F)";
inline constexpr std::string_view kBookRokuyo = "六曜を表示(&Q)";
inline constexpr std::string_view kBookKoyomiLineName = "ページの暦の行を表示する";
inline constexpr std::string_view kBookRokuyoName = "ページと誕生日帳に六曜を表示する";
inline constexpr std::string_view kBookKoyomiOfDayName = "選んだ日の暦";

// What the page's 暦 line is for, for screen readers.
inline constexpr std::string_view kKoyomiLineRole = "旧暦の日付、六曜と季節の暦";

}  // namespace dovi::texts
