// The Japanese wording of refused settings writes in the windows.
#include <gtest/gtest.h>

#include <cerrno>

#include "gui/failuretext.h"

namespace dovi {
namespace {

TEST(FailureText, NamesPartCharacterAndSystemReason)
{
    struct {
        WriteResult result;
        const char* expected;
    } cases[] = {
        {writeFailure(WriteFailure::SystemError, "", WritePart::None, {}, ENOSPC),
         "設定ファイル dovi.ini に書き込めませんでした（ディスクの空き容量がありません）。"},
        {writeFailure(WriteFailure::SystemError, "", WritePart::None, {}, ENAMETOOLONG),
         "設定ファイル dovi.ini に書き込めませんでした（エラー番号 36）。"},
        {writeFailure(WriteFailure::ForbiddenCharacter, "", WritePart::KeyName, "="), "項目名に「=」は使えません。"},
        {writeFailure(WriteFailure::ForbiddenCharacter, "", WritePart::SectionName, "]"),
         "項目の区分名に「]」は使えません。"},
        {writeFailure(WriteFailure::Unstorable, "", WritePart::Value, "\x1b"),
         "「U+001B」（U+001B）は、設定ファイル dovi.ini の文字コード Shift-JIS（コードページ932）にない文字のため保存できません。"
         "似た字に置き換えてください（例: 𠮷→吉）。"},
        // which character and which code, and what to do
        {writeFailure(WriteFailure::Unstorable, "", WritePart::Value, "𠮷"),
         "「𠮷」（U+20BB7）は、設定ファイル dovi.ini の文字コード Shift-JIS（コードページ932）にない文字のため保存できません。"
         "似た字に置き換えてください（例: 𠮷→吉）。"},
        {writeFailure(WriteFailure::EmptyName, "", WritePart::KeyName), "項目名が空です。"},
        {writeFailure(WriteFailure::ReadOnly, ""), "設定ファイル dovi.ini が読み取り専用です。"},
        {writeFailure(WriteFailure::NoRoom, ""), "これ以上は登録できません（1日に26件、言霊は32766件まで）。"},
        {writeDone(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(failureText(c.result).toStdString(), c.expected);
}

}  // namespace
}  // namespace dovi
