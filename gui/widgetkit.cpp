#include "gui/widgetkit.h"

#include <QPainter>

#include <cmath>

namespace dovi {

QLabel* plainLabel(QWidget* parent, const QRect& geometry, Qt::Alignment alignment, const QFont& font,
                   std::string_view text)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    label->setFont(font);
    label->setText(qs(text));
    label->setFocusPolicy(Qt::NoFocus);
    return label;
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

void Shape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, form_ == Form::Circle);
    painter.setPen(hasBorder_ ? QPen(border_, 1) : QPen(Qt::NoPen));
    painter.setBrush(hasFill_ ? QBrush(fill_) : QBrush(Qt::NoBrush));
    const QRect area = hasBorder_ ? rect().adjusted(0, 0, -1, -1) : rect();
    if (form_ == Form::Circle)
        painter.drawEllipse(area);
    else
        painter.drawRect(area);
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
    QIcon icon;
    for (const char* size : {"16", "32", "48"})
        icon.addFile(QStringLiteral(":/icons/dovi-%1.png").arg(QLatin1String(size)));
    return icon;
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
