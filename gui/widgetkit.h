// Small pieces shared by the windows: twips, stored colours, plain-text labels that break their
// text into lines, shapes, birthday scroll bars, timers with an enabled flag and Qt's Japanese
// texts.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPoint>
#include <QLabel>
#include <QRect>
#include <QRectF>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <string_view>

#include "gui/layout.h"

namespace dovi {

// Layouts are given in twips; 15 twips make one logical pixel (Qt scales for high-DPI screens).
constexpr int twipsToPixels(int twips) { return twips / 15; }
inline QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

// A colour stored as 0x00BBGGRR.
inline QColor storedColor(std::uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

// The top left corner that centres a window of the given outer size (its frame included) on the
// screen area: half the room that is left on each axis.
inline QPoint centredCorner(const QRect& screen, const QSize& outer)
{
    return {screen.x() + (screen.width() - outer.width()) / 2, screen.y() + (screen.height() - outer.height()) / 2};
}

inline QString qs(std::string_view utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }

// A label that never interprets its text as markup and breaks it into lines inside its fixed box
// (breakLines()): every line keeps the label's alignment. A text that does not fit in the box's
// height ends in "…" (shownLines()) and the whole text shows as the label's tooltip. Text that
// fits on one line is drawn as a plain QLabel draws it.
class WrappingLabel final : public QLabel {
public:
    explicit WrappingLabel(QWidget* parent);
    // The lines of the label's text in its box (those below the box included).
    QStringList lines() const;
    // How many lines the box shows: the first, and every further one that fits whole.
    int visibleLineCount() const;
    // The lines drawn: lines() when all of them fit, else the first visibleLineCount() of them,
    // the last ending in "…".
    QStringList drawnLines() const;
    // Whether the box shows the whole text.
    bool showsWholeText() const;
    // The tooltip shown over the label: the whole text as plain text (markup in it shows as
    // typed) when the box cuts it, "" when the box shows all of it.
    QString wholeTextTip() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// Whether text fits whole in a label of this design, measured with the label's own font and box:
// false when the page would end it in "…".
bool fitsInLabel(const LabelDesign& design, const QString& text);

// A WrappingLabel placed and styled as designed.
QLabel* plainLabel(QWidget* parent, const LabelDesign& design, std::string_view text = {});
QLabel* plainLabel(QWidget* parent, const QRect& geometry, Qt::Alignment alignment, const QFont& font,
                   std::string_view text = {});

// A horizontal scroll bar used as a spin control: Right and Down add one small step, Left and Up
// subtract one (a plain QScrollBar turns Left and Right the other way).
class SpinBar final : public QScrollBar {
public:
    explicit SpinBar(QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A timer's enabled flag: enabling a running timer leaves its countdown alone.
void setTimerEnabled(QTimer& timer, bool enabled);

// A rectangle or circle drawn on the window; it takes no clicks, so they reach the window beneath.
class Shape final : public QWidget {
public:
    enum class Form { Rectangle, Circle };
    Shape(QWidget* parent, const QRect& geometry, Form form);
    void setBorder(const QColor& color) { border_ = color; hasBorder_ = true; }
    void setFill(const QColor& color) { fill_ = color; hasFill_ = true; }

    // The four sides (top, bottom, left, right) of a one-pixel border inside a box of the given
    // logical size, in logical units. Each side is the scale rounded to whole device pixels thick
    // (1 at scale 1, 2 at 1.5 and 2), so all four sides are equal at any scale.
    static std::array<QRectF, 4> borderSides(const QSizeF& size, qreal devicePixelRatio);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Form form_;
    QColor border_, fill_;
    bool hasBorder_ = false, hasFill_ = false;
};

// Pixel size of a font given in points at 96 dots per inch (12 pt -> 16 px, 9.75 pt -> 13 px).
QFont pointFont(const char* family, double points, bool bold = false);

// The application's ID: the name of its desktop entry and of its installed icon.
inline constexpr char kApplicationId[] = "jp.dovi.Dovi";

// The window icon: a tear-off calendar page, the installed icon of kApplicationId from the icon
// theme, or the built-in one of 16 (drawn for that size), 32, 48, 64, 128 and 256 pixels.
QIcon programIcon();

// Loads Qt's own Japanese translation (qtbase_ja, from Qt's translations folder) into the
// application, whatever the locale, so that standard buttons and context menus read in Japanese
// (OK / キャンセル). Call once after creating the application; false when the file is missing.
bool installJapaneseQtTexts();

// Maps the design's Windows font names to installed Debian fonts; call before creating widgets.
void installFontSubstitutes();

// After the application exists: names it (applicationName, the calendar's desktop entry), maps
// the fonts and loads Qt's Japanese texts, as every window program of the calendar starts.
void setUpApplication(const QString& applicationName);

}  // namespace dovi
