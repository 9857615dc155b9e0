// Every Japanese and English text that the program shows or stores, in one place.
#pragma once

#include <string_view>

namespace dovi::texts {

// Settings file: sections and keys.
inline constexpr std::string_view kInit = "init";
inline constexpr std::string_view kUser = "使用者";
inline constexpr std::string_view kBirthday = "誕生日";
inline constexpr std::string_view kSex = "性別";
inline constexpr std::string_view kRegisteredOn = "登録日";
inline constexpr std::string_view kSayingCount = "言霊総数";
inline constexpr std::string_view kBirthdayBook = "誕生日";
inline constexpr std::string_view kSpecialDays = "特別日";
inline constexpr std::string_view kHolidays = "休日";
inline constexpr std::string_view kSayings = "言霊";
// What the settings file returns for a missing file, section or key.
inline constexpr std::string_view kAbsent = "0";

// Start-up.
inline constexpr std::string_view kStartupErrorTitle = "Error!";
inline constexpr std::string_view kStartupErrorText =
    "dovi.iniが存在しないか，壊れています．\r\nもう一度デイリオをインストールし直してください．";
inline constexpr std::string_view kCaptionSuffix = ": デイリオ 2000";
inline constexpr std::string_view kDesignCaption = "デイリオ";

// Design captions of the main window's labels.
inline constexpr std::string_view kDesignLabel1 = "平成12年 1月 January 2000";
inline constexpr std::string_view kDesignLabel2 = "20";
inline constexpr std::string_view kDesignLabel3 = "木曜日 Thursday";
inline constexpr std::string_view kDesignLabel4 = "デイリオ for Windows 95/98/2000";
inline constexpr std::string_view kDesignLabel5 = "Now Loading...";

// Greeting line.
inline constexpr std::string_view kGoodEvening = "こんばんわ，";
inline constexpr std::string_view kGoodMorning = "おはよう，";
inline constexpr std::string_view kGoodDay = "こんにちわ，";
inline constexpr std::string_view kPretty = "今日も奇麗な";
inline constexpr std::string_view kWonderful = "今日も素敵な";
inline constexpr std::string_view kLively = "今日も元気な";
inline constexpr std::string_view kCute = "今日も可愛い";
inline constexpr std::string_view kHappyBirthday = "誕生日おめでとう!!";
inline constexpr std::string_view kFemale = "女性";
inline constexpr std::string_view kMale = "男性";
inline constexpr std::string_view kOtherSex = "その他";

// Birthday book messages.
inline constexpr std::string_view kHonorific = "さん";
inline constexpr std::string_view kAgeBirthday = "才の誕生日";
inline constexpr std::string_view kPlainBirthday = "さん 誕生日";
// An exported birthday's description: the year of birth followed by this.
inline constexpr std::string_view kBornInYear = "年生まれ";

// Holidays.
inline constexpr std::string_view kSubstituteCandidate = "振替候補日";
inline constexpr std::string_view kSubstituteHoliday = "振替休日";
// Holidays computed from the date.
inline constexpr std::string_view kComingOfAgeDay = "成人の日";
inline constexpr std::string_view kSportsDay = "体育の日";
inline constexpr std::string_view kVernalEquinoxDay = "春分の日";
inline constexpr std::string_view kAutumnalEquinoxDay = "秋分の日";
inline constexpr std::string_view kNewYearsDay = "元日";
inline constexpr std::string_view kFoundationDay = "建国記念の日";
inline constexpr std::string_view kEmperorsBirthday = "天皇誕生日";
inline constexpr std::string_view kShowaDay = "昭和の日";
inline constexpr std::string_view kGreeneryDay = "みどりの日";
inline constexpr std::string_view kConstitutionDay = "憲法記念日";
inline constexpr std::string_view kChildrensDay = "こどもの日";
inline constexpr std::string_view kMarineDay = "海の日";
inline constexpr std::string_view kMountainDay = "山の日";
inline constexpr std::string_view kRespectForTheAgedDay = "敬老の日";
// The October holiday's name from 2020 on (kSportsDay is its name up to 2019).
inline constexpr std::string_view kSportsDayFrom2020 = "スポーツの日";
inline constexpr std::string_view kCultureDay = "文化の日";
inline constexpr std::string_view kLabourThanksgivingDay = "勤労感謝の日";
inline constexpr std::string_view kEnthronementDay = "即位の日";
inline constexpr std::string_view kEnthronementCeremonyDay = "即位礼正殿の儀";
// A day off between two national holidays.
inline constexpr std::string_view kCitizensHoliday = "国民の休日";

// Date header: Japanese weekday names, Sunday first.
inline constexpr std::string_view kWeekdayNames[] = {"日曜日", "月曜日", "火曜日", "水曜日",
                                                     "木曜日", "金曜日", "土曜日"};

// Life counters.
inline constexpr std::string_view kSinceBirthPrefix = "あなたが生まれてから";
inline constexpr std::string_view kSinceFirstUsePrefix = "デイリオを使いはじめてから";
inline constexpr std::string_view kDaySuffix = "日目";

// Shown when no saying can be drawn.
inline constexpr std::string_view kTitle = "デイリオカレンダー for Win 95/98/2000";
// The credit line names the team that brought the calendar to Linux, followed by one blank.
inline constexpr std::string_view kCredit = "移植: デイリオ Linux 移植チーム ";

// Registration dialog.
inline constexpr std::string_view kRegisterCaption = "デイリオ2000登録";
inline constexpr std::string_view kRegisterIntro = "まず，「デイリオ」にあなたの情報を登録します．";
inline constexpr std::string_view kAskName = "あなたのお名前は？";
inline constexpr std::string_view kAskBirthday = "生年月日は？";
inline constexpr std::string_view kAskSex = "性別は？";
inline constexpr std::string_view kYearUnit = "年";
inline constexpr std::string_view kMonthUnit = "月";
inline constexpr std::string_view kDayUnit = "日";
inline constexpr std::string_view kDefaultAddress = "さん";
inline constexpr std::string_view kAddressChoices[] = {"様", "くん", "ちゃん", "係長", "課長", "部長", "社長"};
inline constexpr std::string_view kRegisterButton = "登録";
inline constexpr std::string_view kQuitButton = "やめる";
inline constexpr std::string_view kConfirmTitle = "登録事項の確認";
inline constexpr std::string_view kPromptName = "お名前: ";
inline constexpr std::string_view kPromptBirthday = "誕生日:";
inline constexpr std::string_view kPromptSex = "性別  :";
inline constexpr std::string_view kPromptQuestion = "以上で登録してよろしいですか？";
// The profile window: changes what the registration stored.
inline constexpr std::string_view kProfileCaption = "プロフィール";
inline constexpr std::string_view kPromptChangeQuestion = "以上で変更してよろしいですか？";
inline constexpr std::string_view kChangeTitle = "変更事項の確認";
inline constexpr std::string_view kChangeButton = "変更(&S)";
inline constexpr std::string_view kCancelButton = "キャンセル";
inline constexpr std::string_view kProfileChanged = "プロフィールを変更しました。次にページを開いたときから使われます。";
inline constexpr std::string_view kProfileNotChanged = "プロフィールは変更されていません。";

// The birthday book window.
inline constexpr std::string_view kBookTitle = "デイリオ 誕生日帳";
inline constexpr std::string_view kBookDaysTab = "誕生日・特別日(&D)";
inline constexpr std::string_view kBookSayingsTab = "言霊(&K)";
inline constexpr std::string_view kBookBirthdays = "誕生日";
inline constexpr std::string_view kBookSpecialDays = "特別日";
inline constexpr std::string_view kBookSayings = "言霊";
inline constexpr std::string_view kBookDayTitle = "%1月%2日";  // month, day
inline constexpr std::string_view kBookHolidayTitle = "%1月%2日　%3";  // month, day, the holiday's name
inline constexpr std::string_view kBookHoliday = "休日";  // a holiday whose name the table leaves empty
inline constexpr std::string_view kBookName = "名前";
inline constexpr std::string_view kBookYear = "生年（4桁・省略可）";
inline constexpr std::string_view kBookText = "内容";
inline constexpr std::string_view kBookSaying = "言霊";
inline constexpr std::string_view kBookSource = "出典";
// The buttons and field labels of a list; each panel gives them its own access keys.
inline constexpr std::string_view kBookAdd = "追加";
inline constexpr std::string_view kBookChange = "変更";
inline constexpr std::string_view kBookRemove = "削除";
inline constexpr std::string_view kBookUp = "上へ";
inline constexpr std::string_view kBookDown = "下へ";
inline constexpr std::string_view kBookNewEntryButton = "新規";
inline constexpr std::string_view kBookBirthdayList = "誕生日の一覧";
inline constexpr std::string_view kBookSpecialDayList = "特別日の一覧";
inline constexpr std::string_view kBookSayingList = "言霊の一覧";
// The panel's state line: a new entry is being typed, or an entry of the list is being changed.
inline constexpr std::string_view kBookNewEntry = "新しい項目";
inline constexpr std::string_view kBookEditing = "「%1」を編集中";
inline constexpr std::string_view kBookUnsaved = "入力した「%1」はまだ保存されていません。保存しますか？";
inline constexpr std::string_view kBookSave = "保存";
inline constexpr std::string_view kBookDiscard = "破棄";
inline constexpr std::string_view kBookNoFit =
    "この内容はページの枠に収まらず、末尾が「…」で省略されます（保存はできます）。";
inline constexpr std::string_view kBookCloseGap = "詰めて表示する";
inline constexpr std::string_view kBookConfirmCloseGap =
    "記号の抜けの後にある%1件に、表示されている項目の続きの記号を付け直して、カレンダーに表示されるようにしますか？";
inline constexpr std::string_view kBookNothingToRemove = "削除する項目を一覧から選んでください。";
inline constexpr std::string_view kBookReadOnly =
    "設定ファイル dovi.ini は読み取り専用のため、表示だけできます。編集するには、ファイルへの書き込みを許可してください。";
inline constexpr std::string_view kBookMonth = "%1年%2月";  // year, month
inline constexpr std::string_view kBookPreviousMonth = "前の月";
inline constexpr std::string_view kBookNextMonth = "次の月";
inline constexpr std::string_view kBookMonthShown = "表示中の月";
inline constexpr std::string_view kBookToday = "今日(&T)";
inline constexpr std::string_view kBookProfile = "プロフィール(&P)";
inline constexpr std::string_view kBookCalendar = "月のカレンダー";
inline constexpr std::string_view kBookTabs = "誕生日帳の切り替え";
inline constexpr std::string_view kBookBornIn = "（%1年生まれ）";
inline constexpr std::string_view kBookHidden =
    "このほかに、記号（a〜z）の抜けの後にあるためカレンダーに表示されない項目が%1件あります。";
inline constexpr std::string_view kBookBadYear = "生年は4桁の数字で入力してください（省略もできます）。";
inline constexpr std::string_view kBookConfirmRemove = "「%1」を削除しますか？";
inline constexpr std::string_view kBookNoSelection = "変更する項目を一覧から選んでください。";
inline constexpr std::string_view kBookFile = "設定ファイル: %1";

// Why a change of the settings file was refused, as the windows say it. "%1" stands for the part
// of the entry (section name, key name or value), "%2" for the offending character.
inline constexpr std::string_view kPartSection = "項目の区分名";
inline constexpr std::string_view kPartKey = "項目名";
inline constexpr std::string_view kPartValue = "入力した文字列";
inline constexpr std::string_view kFailInvalidText = "%1に正しくない文字が含まれています。";
inline constexpr std::string_view kFailLineBreak = "%1に改行は使えません。";
inline constexpr std::string_view kFailNul = "%1にNUL文字は使えません。";
inline constexpr std::string_view kFailForbidden = "%1に「%2」は使えません。";
inline constexpr std::string_view kFailEmptyName = "%1が空です。";
// Only a Shift-JIS (code page 932) file lacks characters: UTF-8 and UTF-16 files hold every one.
// "%3" stands for the character's code point (U+20BB7).
inline constexpr std::string_view kFailUnstorable =
    "「%2」（%3）は、設定ファイル dovi.ini の文字コード Shift-JIS（コードページ932）にない文字のため保存できません。"
    "似た字に置き換えてください（例: 𠮷→吉）。";
inline constexpr std::string_view kFailHalfUtf16 = "設定ファイルの末尾が途中で切れているため、書き足せません。";
inline constexpr std::string_view kFailKeyMissing = "変更する項目が設定ファイルに見つかりません。";
inline constexpr std::string_view kFailEntryTaken = "移動先の項目はすでに使われています。";
inline constexpr std::string_view kFailAbsentValue = "「0」と読める値は、未設定と区別できないため保存できません。";
inline constexpr std::string_view kFailLinkLoop = "設定ファイル dovi.ini のシンボリックリンクが循環しています。";
inline constexpr std::string_view kFailFolder = "設定ファイル dovi.ini がフォルダーになっています。";
inline constexpr std::string_view kFailNotRegular = "設定ファイル dovi.ini が通常のファイルではありません。";
inline constexpr std::string_view kFailReadOnly = "設定ファイル dovi.ini が読み取り専用です。";
inline constexpr std::string_view kFailUnreadable = "設定ファイル dovi.ini を読めないため、変更しませんでした。";
inline constexpr std::string_view kFailWouldReadAsUtf8 =
    "この変更をするとShift-JISの設定ファイルがUTF-8として読まれてしまうため、変更しませんでした。";
inline constexpr std::string_view kFailWouldReadAsShiftJis =
    "この変更をするとUTF-8の設定ファイルがShift-JISとして読まれてしまうため、変更しませんでした。";
inline constexpr std::string_view kFailUntrustedLink =
    "設定ファイル dovi.ini は他のユーザーのシンボリックリンクのため、書き込みませんでした。";
inline constexpr std::string_view kFailSystem = "設定ファイル dovi.ini に書き込めませんでした（%1）。";
inline constexpr std::string_view kFailLockUnavailable = "設定ファイル dovi.ini の排他ロックを取得できないため、書き込みませんでした。";
inline constexpr std::string_view kFailLockTimeout =
    "ほかのプログラムが設定ファイル dovi.ini を使用中のため、書き込めませんでした。しばらくしてからもう一度お試しください。";
inline constexpr std::string_view kFailNoRoom = "これ以上は登録できません（1日に26件、言霊は32766件まで）。";
inline constexpr std::string_view kFailChangedMeanwhile =
    "ほかのプログラムが設定ファイルを変更したため、変更しませんでした。最新の内容を表示します。";
// Said after the reason when a registration was refused.
inline constexpr std::string_view kRegistrationNotStored = "登録内容は何も保存されていません。";
// The operating system's reasons, for the errors a user can act on.
inline constexpr std::string_view kErrNoSpace = "ディスクの空き容量がありません";
inline constexpr std::string_view kErrQuota = "ディスク使用量の上限に達しています";
inline constexpr std::string_view kErrAccess = "書き込みが許可されていません";
inline constexpr std::string_view kErrReadOnlyFs = "読み取り専用のファイルシステムです";
inline constexpr std::string_view kErrIo = "入出力エラーが起きました";
inline constexpr std::string_view kErrOther = "エラー番号 %1";

// A year of birth after this year or before 1: "生まれた年（2999年）は1年から2026年までで…".
inline constexpr std::string_view kBirthYearRefusedBefore = "生まれた年（";
inline constexpr std::string_view kBirthYearRefusedMiddle = "年）は、1年から今年（";
inline constexpr std::string_view kBirthYearRefusedAfter = "年）までの年にしてください。";

// What a screen reader says for the controls of the page and of the registration dialog: a name
// for each control (a label's name is its text) and a description of its role.
inline constexpr std::string_view kPageName = "デイリオ 今日のページ";
inline constexpr std::string_view kEraLineRole = "和暦の年と月、西暦の月と年";
inline constexpr std::string_view kDayRole = "日付";
inline constexpr std::string_view kWeekdayRole = "曜日";
inline constexpr std::string_view kMessageRole = "誕生日、特別日、日数のお知らせ";
inline constexpr std::string_view kGreetingRole = "あいさつ";
inline constexpr std::string_view kSayingRole = "言霊";
inline constexpr std::string_view kSourceRole = "言霊の出典";
inline constexpr std::string_view kHolidayRole = "祝日";
inline constexpr std::string_view kNameField = "お名前";
inline constexpr std::string_view kNameFieldRole = "あなたのお名前（敬称は右の欄）";
inline constexpr std::string_view kAddressField = "敬称";
inline constexpr std::string_view kAddressList = "敬称の一覧";
inline constexpr std::string_view kAddressFieldRole = "お名前の後に付ける敬称。一覧から選ぶか入力します";
inline constexpr std::string_view kYearBarName = "生まれた年";
inline constexpr std::string_view kMonthBarName = "生まれた月";
inline constexpr std::string_view kDayBarName = "生まれた日";
inline constexpr std::string_view kBirthdayBarRole = "左右の矢印キーで一つずつ変えます";
inline constexpr std::string_view kSexRole = "性別";
inline constexpr std::string_view kRegisterRole = "入力した内容を確かめてから登録します";
inline constexpr std::string_view kQuitRole = "登録せずにデイリオを終わります";

}  // namespace dovi::texts
