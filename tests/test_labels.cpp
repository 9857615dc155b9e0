// The widget kit: line breaking, labels that keep their text inside their boxes, shape borders,
// the layout tables and Qt's Japanese texts.
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTextDocument>

#include <gtest/gtest.h>

#include "gui/form1.h"
#include "gui/form3.h"
#include "gui/linebreak.h"
#include "gui/widgetkit.h"
#include "tests/testutil.h"

namespace dovi {
namespace {

// Every character (code point) one unit wide.
qreal characters(const QString& text) { return qreal(text.toUcs4().size()); }

TEST(BreakLines, AtBlanksAndBetweenJapaneseCharactersWithTheLineStartRule)
{
    struct Case {
        const char* text;
        qreal width;
        QStringList expected;
    } cases[] = {
        {"", 5, {}},
        {"abc def", 7, {"abc def"}},
        {" 1973", 5, {" 1973"}},  // a leading blank that fits stays
        {"Now Loading...", 10, {"Now", "Loading..."}},
        {"Now Loading...", 5, {"Now", "Loadi", "ng..."}},  // a word wider than the box
        {"abcdefgh", 3, {"abc", "def", "gh"}},
        {"おはよう，今日も", 5, {"おはよう，", "今日も"}},
        {"おはよう，今日も", 4, {"おはよ", "う，今日", "も"}},  // "，" never starts a line
        {"まず，「デイリオ」に", 4, {"まず，", "「デイリ", "オ」に"}},  // "「" never ends one
        {"ウィリアム", 2, {"ウィ", "リア", "ム"}},                  // nor does a small kana start one
        {"シェイクスピア・ハムレット", 7, {"シェイクスピ", "ア・ハムレット"}},  // nor the middle dot
        {"誕生日おめでとう!!花子", 8, {"誕生日おめでと", "う!!花子"}},
        {"ラーメン", 1, {"ラ", "ー", "メ", "ン"}},  // one character per line when nothing else fits
        {"デイリオ for Windows", 8, {"デイリオ for", "Windows"}},
        {"𠮷野家の牛丼", 2, {"𠮷野", "家の", "牛丼"}},  // a character outside the BMP stays whole
        {"一行目\n二行目", 10, {"一行目", "二行目"}},
        {"ゴッホ々々", 3, {"ゴッ", "ホ々々"}},  // nor 々 (the strict rules)
    };
    for (const Case& c : cases)
        EXPECT_EQ(breakLines(QString::fromUtf8(c.text), c.width, characters), c.expected) << c.text << " in " << c.width;
}

// A grapheme cluster (UAX #29) is one character to the reader: a line never ends inside one, even
// when the box is narrower than the cluster (then it stands alone on its line).
TEST(BreakLines, NeverSplitsAGraphemeCluster)
{
    struct Case {
        const char* text;
        qreal width;
        QStringList expected;
    } cases[] = {
        {"か\u0308き", 1, {"か\u0308", "き"}},                        // a combining diaeresis
        {"e\u0301te\u0301", 1, {"e\u0301", "t", "e\u0301"}},        // é written as e and an accent
        {"葛\U000E0100飾区", 1, {"葛\U000E0100", "飾", "区"}},        // an ideographic variation selector
        {"☺\uFE0F笑顔", 1, {"☺\uFE0F", "笑", "顔"}},                 // an emoji variation selector
        {"👨\u200D👩\u200D👧家族", 2, {"👨\u200D👩\u200D👧", "家族"}},  // a family joined by ZWJ
        {"🇯🇵日本", 1, {"🇯🇵", "日", "本"}},                          // a flag: two regional indicators
        {"1\uFE0F\u20E3番", 1, {"1\uFE0F\u20E3", "番"}},            // a keycap sequence
        {"👍🏽いいね", 1, {"👍🏽", "い", "い", "ね"}},                    // a skin-tone modifier
        {"abc\u0308def", 3, {"ab", "c\u0308d", "ef"}},                 // inside a word too wide for the box
    };
    for (const Case& c : cases)
        EXPECT_EQ(breakLines(QString::fromUtf8(c.text), c.width, characters), c.expected) << c.text << " in " << c.width;
}

// A text longer than its box: the last line shown ends in "…", shortened by whole clusters until
// it fits with it; a text that fits is left alone.
TEST(ShownLines, EndATextThatDoesNotFitInAnEllipsis)
{
    struct Case {
        const char* text;
        qreal width;
        int maxLines;
        QStringList expected;
    } cases[] = {
        {"おはよう", 4, 1, {"おはよう"}},
        {"おはよう，今日も", 4, 1, {"おはよ…"}},
        {"おはよう，今日も", 5, 2, {"おはよう，", "今日も"}},
        {"一行目\n二行目\n三行目", 4, 2, {"一行目", "二行目…"}},
        {"Now Loading...", 5, 1, {"Now…"}},
        {"か\u0308か\u0308か\u0308か\u0308", 4, 1, {"か\u0308…"}},  // never half a cluster before it
        {"abcdef", 1, 1, {"…"}},
        {"", 5, 1, {}},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(shownLines(text, c.width, c.maxLines, characters), c.expected) << c.text;
        EXPECT_EQ(fitsInLines(text, c.width, c.maxLines, characters), c.expected.join(QString()).indexOf(QChar(0x2026)) < 0)
            << c.text;
    }
}

// A label of the main window as the window has it: the same box, alignment and font.
std::unique_ptr<QLabel> label(const LabelDesign& design, const QString& text)
{
    std::unique_ptr<QLabel> made(plainLabel(nullptr, design));
    made->setText(text);
    return made;
}

QImage rendered(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(WrappingLabel, TextThatFitsIsDrawnAsAPlainLabelDrawsIt)
{
    using namespace form1layout;
    const std::pair<LabelDesign, const char*> cases[] = {
        {kLabel1, "令和 8年11月  November 2026"},
        {kLabel2, "30"},
        {kLabel4, "デイリオ for Windows 95/98/2000"},
        {kLabel5, "Now Loading..."},
        {kLabel6, "急がば回れ"},
        {kLabel7, "ことわざ"},
        {kLabel8, "文化の日"},
        {form3layout::kLabel10, " 1973"},
    };
    for (const auto& [design, text] : cases) {
        auto wrapping = label(design, QString::fromUtf8(text));
        QLabel plain;
        plain.setTextFormat(Qt::PlainText);
        plain.setGeometry(design.box.pixels());
        plain.setAlignment(design.alignment);
        plain.setFont(designFont(design.font));
        plain.setText(QString::fromUtf8(text));
        ASSERT_EQ(wrapping->size(), plain.size());
        EXPECT_TRUE(rendered(*wrapping) == rendered(plain)) << text;
        EXPECT_EQ(static_cast<WrappingLabel*>(wrapping.get())->lines(), QStringList(QString::fromUtf8(text)));
    }
}

// Long texts from the settings file: the first line starts with the text's first character, no
// shown line is wider than the box, the shown lines are the text's start without a gap, the last
// one ends in "…", and the whole text is the label's tooltip.
TEST(WrappingLabel, LongTextsBreakInsideTheBoxAndLoseOnlyTheirEnd)
{
    using namespace form1layout;
    const std::pair<LabelDesign, const char*> cases[] = {
        {kLabel5, "おはよう，今日も素敵なウィリアム・シェイクスピア部長"},
        {kLabel4, "国際ソフトウェア品質保証技術者協会設立記念日および関連行事の日"},
        {kLabel8, "国民の祝日に関する法律による特別な休日"},
        {kLabel7, "ウィリアム・シェイクスピア『ヴェニスの商人』第四幕第一場"},
        {kLabel6, "The quality of mercy is not strained; it droppeth as the gentle rain from heaven upon the "
                  "place beneath. It is twice blest: it blesseth him that gives and him that takes."},
    };
    for (const auto& [design, text] : cases) {
        const QString full = QString::fromUtf8(text);
        auto made = label(design, full);
        const auto& wrapping = static_cast<const WrappingLabel&>(*made);
        const QStringList lines = wrapping.lines();
        ASSERT_GE(lines.size(), 2) << text;
        EXPECT_EQ(lines.first().at(0), full.at(0)) << text;
        const QFontMetricsF metrics(made->font());
        const QStringList drawn = wrapping.drawnLines();
        ASSERT_EQ(drawn.size(), wrapping.visibleLineCount()) << text;
        EXPECT_TRUE(drawn.last().endsWith(QChar(0x2026))) << drawn.last().toStdString();
        QString shown;
        for (const QString& line : drawn) {
            EXPECT_LE(metrics.horizontalAdvance(line), made->width()) << line.toStdString();
            shown += line;
        }
        shown.chop(1);
        QString withoutBlanks = full;
        withoutBlanks.remove(QLatin1Char(' '));
        shown.remove(QLatin1Char(' '));
        EXPECT_TRUE(withoutBlanks.startsWith(shown)) << shown.toStdString();
        EXPECT_FALSE(wrapping.showsWholeText());
        EXPECT_FALSE(fitsInLabel(design, full));
        QTextDocument tip;
        tip.setHtml(wrapping.wholeTextTip());
        EXPECT_EQ(tip.toPlainText(), full);

        // On the screen: exactly those lines, each aligned like the label.
        QLabel plain;
        plain.setTextFormat(Qt::PlainText);
        plain.setGeometry(made->geometry());
        plain.setAlignment(design.alignment);
        plain.setFont(made->font());
        plain.setText(drawn.join(QLatin1Char('\n')));
        EXPECT_TRUE(rendered(*made) == rendered(plain)) << text;
    }
    // Texts that fit have no tooltip.
    EXPECT_TRUE(static_cast<WrappingLabel&>(*label(kLabel5, "おはよう")).wholeTextTip().isEmpty());
    EXPECT_TRUE(fitsInLabel(kLabel4, QString::fromUtf8("山田花子さん48才の誕生日")));
    // The one-line boxes show one line, the saying's three.
    EXPECT_EQ(static_cast<WrappingLabel&>(*label(kLabel5, "x")).visibleLineCount(), 1);
    EXPECT_EQ(static_cast<WrappingLabel&>(*label(kLabel6, "x")).visibleLineCount(), 3);
}

// The thickness in device pixels of each side of a border painted at a scale: top, bottom, left,
// right, counted inwards from the edge at the middle of the side.
std::array<int, 4> borderThickness(qreal scale)
{
    const QSizeF logical(249, 97);  // the lower frame of the main window
    QImage image((logical * scale).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        for (const QRectF& side : Shape::borderSides(logical, scale))
            painter.fillRect(side, Qt::black);
    }
    const int w = image.width();
    const int h = image.height();
    const auto dark = [&image](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    std::array<int, 4> sides{};
    while (sides[0] < h && dark(w / 2, sides[0]))
        ++sides[0];
    while (sides[1] < h && dark(w / 2, h - 1 - sides[1]))
        ++sides[1];
    while (sides[2] < w && dark(sides[2], h / 2))
        ++sides[2];
    while (sides[3] < w && dark(w - 1 - sides[3], h / 2))
        ++sides[3];
    return sides;
}

TEST(Shape, BorderSidesAreEqualAtEveryScale)
{
    EXPECT_EQ(borderThickness(1), (std::array<int, 4>{1, 1, 1, 1}));
    EXPECT_EQ(borderThickness(1.5), (std::array<int, 4>{2, 2, 2, 2}));
    EXPECT_EQ(borderThickness(2), (std::array<int, 4>{2, 2, 2, 2}));
}

TEST(Centring, TheFrameIsCentredOnTheScreen)
{
    // 1024 x 768 with the main window's outer size under openbox (frame 1, 1, 20, 1)
    EXPECT_EQ(centredCorner(QRect(0, 0, 1024, 768), QSize(269, 375)), QPoint(377, 196));
    EXPECT_EQ(centredCorner(QRect(1920, 0, 1280, 1024), QSize(269, 375)), QPoint(2425, 324));
}

// The windows are built from the layout tables: every label sits in its box with its alignment
// and font.
TEST(LayoutTable, WindowsPlaceTheirLabelsFromTheTable)
{
    Services services;
    Form1 form1(services);
    Form3 form3(form1, services);
    using namespace form1layout;
    namespace d = form3layout;
    const std::pair<const QLabel*, LabelDesign> labels[] = {
        {form1.Label1, kLabel1},   {form1.Label2, kLabel2},   {form1.Label3, kLabel3},
        {form1.Label4, kLabel4},   {form1.Label5, kLabel5},   {form1.Label6, kLabel6},
        {form1.Label7, kLabel7},   {form1.Label8, kLabel8},   {form3.Label9, d::kLabel9},
        {form3.Label6, d::kLabel6}, {form3.Label7, d::kLabel7}, {form3.Label10, d::kLabel10},
        {form3.Label3, d::kLabel3}, {form3.Label11, d::kLabel11}, {form3.Label5, d::kLabel5},
        {form3.Label12, d::kLabel12}, {form3.Label4, d::kLabel4}, {form3.Label8, d::kLabel8},
        {form3.Label1, d::kLabel1}, {form3.Label2, d::kLabel2}, {form3.Label13, d::kLabel13},
    };
    for (const auto& [shown, design] : labels) {
        SCOPED_TRACE(shown->text().toStdString());
        EXPECT_EQ(shown->geometry(), design.box.pixels());
        EXPECT_EQ(shown->alignment(), design.alignment);
        EXPECT_EQ(shown->font().pixelSize(), designFont(design.font).pixelSize());
        EXPECT_EQ(shown->font().bold(), design.font.bold);
        EXPECT_NE(dynamic_cast<const WrappingLabel*>(shown), nullptr);
    }
    EXPECT_EQ(form1.Shape2->geometry(), QRect(8, 248, 249, 97));
    EXPECT_EQ(form1.Shape2->geometry(), kShape2.pixels());
    EXPECT_EQ(form3.HScroll2->geometry(), d::kHScroll2.pixels());
}

// The page's labels with the texts that used to be cut mid-glyph: a 70-character name in the
// greeting band, a long birthday name in the message line (its age and wish lost), a four-line
// saying and a long source. Each ends in "…" and keeps the whole text as its tooltip, which shows
// markup as typed.
TEST(WrappingLabel, TheLongTextsOfThePageEndInAnEllipsisWithTheWholeTextAsTooltip)
{
    using namespace form1layout;
    const QString longName = QString::fromUtf8("寿限無寿限無五劫の擦り切れ海砂利水魚の水行末雲来末風来末食う寝る処に住む処やぶら小路の藪柑子"
                                               "パイポパイポパイポのシューリンガン<b>様</b>");
    const std::pair<LabelDesign, QString> cases[] = {
        {kLabel5, QString::fromUtf8("おはよう，今日も素敵な") + longName},
        {kLabel4, QString::fromUtf8("ジョン・ジェイコブ・ジングルハイマー・シュミットさん227才の誕生日")},
        {kLabel6, QString::fromUtf8("一行目の言葉です\n二行目の言葉です\n三行目の言葉です\n四行目の言葉です")},
        {kLabel7, QString::fromUtf8("ウィリアム・シェイクスピア『ヴェニスの商人』第四幕第一場より")},
    };
    for (const auto& [design, text] : cases) {
        auto made = label(design, text);
        const auto& wrapping = static_cast<const WrappingLabel&>(*made);
        EXPECT_TRUE(wrapping.drawnLines().last().endsWith(QChar(0x2026))) << text.toStdString();
        QTextDocument tip;
        tip.setHtml(wrapping.wholeTextTip());
        EXPECT_EQ(tip.toPlainText(), text);
        EXPECT_FALSE(fitsInLabel(design, text)) << text.toStdString();
    }
}

TEST(JapaneseQtTexts, StandardButtonsReadInJapanese)
{
    ASSERT_TRUE(installJapaneseQtTexts());
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("登録事項の確認"), QStringLiteral("x"),
                    QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
}

}  // namespace
}  // namespace dovi
