// The built page against a picture of it taken before the page had its 暦 line: with the line
// turned off in the settings file, every pixel is the same. The picture
// (tests/fixtures/page/koyomi-off.png) was taken from the program as it was before the line,
// offscreen, with the fonts of scripts/deps.sh; DOVI_WRITE_PAGE_REFERENCE=FILE writes the page
// this test sees to FILE instead of comparing, to take it anew.
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <cstdlib>

#include "gui/form1.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

using namespace std::chrono;

// 3 November 2026 at 09:00:20: a holiday (the mark and its name), a greeting with a compliment
// and a saying; with the 暦 line on, the page would show 「旧暦九月二十四日 友引」 under the day.
QImage builtPage(const std::filesystem::path& folder)
{
    {
        SettingsFile file(folder / "dovi.ini");
        struct Value {
            const char* section;
            const char* key;
            const char* value;
        } const lines[] = {
            {"init", "使用者", "花子さん"},      {"init", "誕生日", " 1980/ 3/ 3"},
            {"init", "性別", "女性"},            {"init", "登録日", "2024/1/1"},
            {"init", "言霊総数", "2"},           {"言霊", "1", "春宵一刻値千金,蘇軾『春夜』"},
            {"誕生日", "a11/03", "手塚治虫:1928"}, {"特別日", "a11/03", "文化の日の特別日"},
            {"暦", "表示", "しない"},
        };
        for (const Value& v : lines)
            EXPECT_TRUE(file.write(v.section, v.key, v.value).ok);
    }
    FixedClock clock(LocalDateTime{year{2026} / November / 3, 9, 0, 20});
    StandardRandom random(7);
    Services services;
    services.clock = &clock;
    services.random = &random;
    services.currentDirectory = [folder] { return folder; };
    services.endProgram = [](int) {};
    services.printError = [](const std::string&) {};
    services.showMessage = [](const QString&, const QString&) {};
    services.confirm = [](const QString&, const QString&) { return false; };
    Form1 form(services);
    EXPECT_TRUE(form.Form_Load());
    form.show();
    form.Timer2_Timer();
    return form.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(PageReference, WithTheKoyomiLineOffThePageIsPixelIdenticalToThePageWithoutIt)
{
    test::TempDir dir;
    const QImage page = builtPage(dir.path());
    if (const char* out = std::getenv("DOVI_WRITE_PAGE_REFERENCE")) {
        ASSERT_TRUE(page.save(QString::fromLocal8Bit(out)));
        GTEST_SKIP() << "written to " << out;
    }
    const QImage reference = QImage(QStringLiteral(DOVI_FIXTURES "/page/koyomi-off.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(reference.isNull());
    ASSERT_EQ(page.size(), reference.size());
    int differing = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            differing += page.pixel(x, y) != reference.pixel(x, y);
    EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace dovi
