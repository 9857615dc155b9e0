#include "gui/widgetkit.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QPainter>
#include <QStyle>
#include <QTextDocument>
#include <QToolTip>
#include <QTranslator>

#include <algorithm>
#include <cmath>

#include "gui/linebreak.h"

namespace dovi {

WrappingLabel::WrappingLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::NoFocus);
}

QStringList WrappingLabel::lines() const
{
    const QFontMetricsF metrics(font());
    return breakLines(text(), contentsRect().width(), [&metrics](const QString& piece) {
        return metrics.horizontalAdvance(piece);
    });
}

namespace {

// How many lines of a font a box of this height shows: the first always, and every further one
// only when it fits as a whole.
int linesInHeight(const QFont& font, qreal height)
{
    const QFontMetricsF metrics(font);
    const qreal room = height - metrics.height();
    return 1 + std::max(0, int(std::floor(room / metrics.lineSpacing())));
}

TextWidth widthIn(const QFont& font)
{
    return [metrics = QFontMetricsF(font)](const QString& piece) { return metrics.horizontalAdvance(piece); };
}

}  // namespace

int WrappingLabel::visibleLineCount() const
{
    return linesInHeight(font(), contentsRect().height());
}

QStringList WrappingLabel::drawnLines() const
{
    return shownLines(text(), contentsRect().width(), visibleLineCount(), widthIn(font()));
}

bool WrappingLabel::showsWholeText() const
{
    return fitsInLines(text(), contentsRect().width(), visibleLineCount(), widthIn(font()));
}

QString WrappingLabel::wholeTextTip() const
{
    return showsWholeText() ? QString() : Qt::convertFromPlainText(text(), Qt::WhiteSpaceNormal);
}

bool WrappingLabel::event(QEvent* event)
{
    // The tooltip follows the text and the box as they are when the pointer rests on the label.
    if (event->type() == QEvent::ToolTip) {
        const QString tip = wholeTextTip();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, this);
        return true;
    }
    return QLabel::event(event);
}

void WrappingLabel::paintEvent(QPaintEvent*)
{
    // The lines go to the style as one text with line feeds: each is aligned on its own, and a
    // single line is drawn exactly as QLabel draws it. Lines below the box are left out rather
    // than shown cut in half; the last one shown then ends in "…".
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), drawnLines().join(QLatin1Char('\n')), foregroundRole());
}

bool fitsInLabel(const LabelDesign& design, const QString& text)
{
    const QFont font = designFont(design.font);
    const QRect box = design.box.pixels();
    return fitsInLines(text, box.width(), linesInHeight(font, box.height()), widthIn(font));
}

QLabel* plainLabel(QWidget* parent, const QRect& geometry, Qt::Alignment alignment, const QFont& font,
                   std::string_view text)
{
    auto* label = new WrappingLabel(parent);
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    label->setFont(font);
    label->setText(qs(text));
    return label;
}

QLabel* plainLabel(QWidget* parent, const LabelDesign& design, std::string_view text)
{
    return plainLabel(parent, design.box.pixels(), design.alignment, designFont(design.font), text);
}

SpinBar::SpinBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {}

void SpinBar::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Down:
        triggerAction(SliderSingleStepAdd);
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        triggerAction(SliderSingleStepSub);
        break;
    default:
        QScrollBar::keyPressEvent(event);
        return;
    }
    event->accept();
}

void setTimerEnabled(QTimer& timer, bool enabled)
{
    if (!enabled)
        timer.stop();
    else if (!timer.isActive())
        timer.start();
}

Shape::Shape(QWidget* parent, const QRect& geometry, Form form) : QWidget(parent), form_(form)
{
    setGeometry(geometry);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

std::array<QRectF, 4> Shape::borderSides(const QSizeF& size, qreal devicePixelRatio)
{
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1;
    const qreal side = std::max<qreal>(1, std::round(ratio)) / ratio;  // whole device pixels
    const qreal w = size.width();
    const qreal h = size.height();
    return {QRectF(0, 0, w, side), QRectF(0, h - side, w, side), QRectF(0, side, side, h - 2 * side),
            QRectF(w - side, side, side, h - 2 * side)};
}

void Shape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (form_ == Form::Circle) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(hasBorder_ ? QPen(border_, 1) : QPen(Qt::NoPen));
        painter.setBrush(hasFill_ ? QBrush(fill_) : QBrush(Qt::NoBrush));
        painter.drawEllipse(hasBorder_ ? rect().adjusted(0, 0, -1, -1) : rect());
        return;
    }
    // A rectangle's border is filled side by side rather than stroked: a stroked one-pixel pen
    // lands half outside the box at scale 2 and is thinner on the top and left.
    if (hasFill_)
        painter.fillRect(rect(), fill_);
    if (hasBorder_) {
        for (const QRectF& side : borderSides(size(), devicePixelRatioF()))
            painter.fillRect(side, border_);
    }
}

QFont pointFont(const char* family, double points, bool bold)
{
    QFont font(QString::fromUtf8(family));
    font.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

QIcon programIcon()
{
    // The installed icon under the application's ID where the icon theme finds it, else the
    // built-in copies.
    QIcon icon;
    // The 16-pixel image is drawn for its size; the larger ones serve taskbars, switchers and
    // high-DPI screens (a window icon as an SVG would need Qt's SVG plug-in at run time).
    for (const char* size : {"16", "32", "48", "64", "128", "256"})
        icon.addFile(QStringLiteral(":/icons/dovi-%1.png").arg(QLatin1String(size)));
    return QIcon::fromTheme(QString::fromLatin1(kApplicationId), icon);
}

bool installJapaneseQtTexts()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void setUpApplication(const QString& applicationName)
{
    QApplication::setApplicationName(applicationName);
    QApplication::setDesktopFileName(QString::fromLatin1(kApplicationId));
    installFontSubstitutes();
    installJapaneseQtTexts();
}

void installFontSubstitutes()
{
    // A proportional Japanese Gothic for the Japanese face; always a Japanese one, or Han characters
    // may come from a Chinese font.
    QFont::insertSubstitutions(QString::fromUtf8(kPGothic),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"), QStringLiteral("IPAexGothic")});
    // A metric-compatible stand-in for Arial.
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
}

}  // namespace dovi
