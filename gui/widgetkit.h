// Small pieces shared by the two windows: twips, stored colours, plain-text labels, shapes and
// timers with an enabled flag.
#pragma once

#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <string_view>

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

inline QString qs(std::string_view utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }

// A label that never interprets its text as markup.
QLabel* plainLabel(QWidget* parent, const QRect& geometry, Qt::Alignment alignment, const QFont& font,
                   std::string_view text = {});

// A timer's enabled flag: enabling a running timer leaves its countdown alone.
void setTimerEnabled(QTimer& timer, bool enabled);

// A rectangle or circle drawn on the window; it takes no clicks, so they reach the window beneath.
class Shape final : public QWidget {
public:
    enum class Form { Rectangle, Circle };
    Shape(QWidget* parent, const QRect& geometry, Form form);
    void setBorder(const QColor& color) { border_ = color; hasBorder_ = true; }
    void setFill(const QColor& color) { fill_ = color; hasFill_ = true; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Form form_;
    QColor border_, fill_;
    bool hasBorder_ = false, hasFill_ = false;
};

// Pixel size of a font given in points at 96 dots per inch (12 pt -> 16 px, 9.75 pt -> 13 px).
QFont pointFont(const char* family, double points, bool bold = false);

// The Japanese face the windows' texts are designed in; installFontSubstitutes() maps it to an
// installed proportional Japanese Gothic.
inline constexpr const char* kPGothic = "ＭＳ Ｐゴシック";

// The window icon: a tear-off calendar page, 16, 32 and 48 pixels.
QIcon programIcon();

// Maps the design's Windows font names to installed Debian fonts; call before creating widgets.
void installFontSubstitutes();

}  // namespace dovi
