#include "gui/koyomicalendar.h"

#include <QPainter>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

#include "gui/widgetkit.h"
#include "page/koyomiline.h"
#include "texts/koyomi.h"

namespace dovi {

namespace {

Date toDate(QDate date)
{
    return std::chrono::year{date.year()} / std::chrono::month{static_cast<unsigned>(date.month())} /
           std::chrono::day{static_cast<unsigned>(date.day())};
}

// A narrow panel breaks a line between the items of the 暦, never inside one (Japanese text may
// break between any two characters): a word joiner (U+2060, drawn as nothing) between every two
// characters of an item keeps it whole.
QString unbroken(const QString& item)
{
    QString joined;
    for (qsizetype i = 0; i < item.size(); ++i) {
        if (i > 0 && !item[i].isLowSurrogate())
            joined += QChar(0x2060);
        joined += item[i];
    }
    return joined;
}

// The grid shows six weeks; the cache keeps a few months of them and starts anew beyond that.
constexpr std::size_t kCachedDays = 200;

}  // namespace

KoyomiCalendar::KoyomiCalendar(QWidget* parent) : QCalendarWidget(parent)
{
}

void KoyomiCalendar::setKoyomiSettings(const KoyomiSettings& settings)
{
    if (settings == settings_)
        return;
    settings_ = settings;
    updateCells();
}

const Koyomi* KoyomiCalendar::koyomiOf(QDate date) const
{
    if (!date.isValid() || !koyomiCovers(toDate(date)))
        return nullptr;
    if (const auto found = days_.find(date); found != days_.end())
        return &found->second;
    if (days_.size() > kCachedDays)
        days_.clear();
    // The whole month at once: a range costs far less per day than one day at a time.
    const QDate first(date.year(), date.month(), 1);
    Date from = toDate(first);
    Date to = toDate(first.addDays(first.daysInMonth() - 1));
    from = std::max(from, kFirstKoyomiDay);
    to = std::min(to, kLastKoyomiDay);
    for (Koyomi& day : koyomiRange(from, to)) {
        const QDate key(static_cast<int>(day.date.year()), static_cast<int>(static_cast<unsigned>(day.date.month())),
                        static_cast<int>(static_cast<unsigned>(day.date.day())));
        days_.insert_or_assign(key, std::move(day));
    }
    const auto found = days_.find(date);
    return found == days_.end() ? nullptr : &found->second;
}

std::pair<QString, QString> KoyomiCalendar::cellMarks(QDate date) const
{
    const Koyomi* koyomi = koyomiOf(date);
    if (!koyomi)
        return {};
    const KoyomiMarks marks = koyomiMarks(*koyomi, settings_.rokuyo);
    return {qs(marks.seasonal), qs(marks.rokuyo)};
}

void KoyomiCalendar::paintCell(QPainter* painter, const QRect& rect, QDate date) const
{
    QCalendarWidget::paintCell(painter, rect, date);
    const auto [seasonal, rokuyo] = cellMarks(date);
    if (seasonal.isEmpty() && rokuyo.isEmpty())
        return;
    // The day's number stands in the middle of the cell; a mark goes above and one below it,
    // each in small type. A cell too low for three lines shows the number alone: the day panel
    // has the whole 暦 of the chosen day.
    const QRect inner = rect.adjusted(1, 1, -1, -1);
    const int numberHeight = QFontMetrics(font()).height();
    const int markPixels = std::min(11, (inner.height() - numberHeight) / 2);
    if (markPixels < 7)
        return;
    painter->save();
    const bool selected = date == selectedDate();
    const bool otherMonth = date.month() != monthShown();
    painter->setPen(selected     ? palette().color(QPalette::HighlightedText)
                    : otherMonth ? palette().color(QPalette::Disabled, QPalette::Text)
                                 : QColor(0x44, 0x44, 0x44));
    const auto drawMark = [&](const QString& text, Qt::Alignment where) {
        if (text.isEmpty())
            return;
        // A long name (二百二十日) takes a smaller size to stay inside its cell.
        QFont small = font();
        small.setBold(false);
        small.setUnderline(false);
        small.setPixelSize(std::max(6, std::min(markPixels, inner.width() / static_cast<int>(text.size()))));
        painter->setFont(small);
        painter->drawText(inner, Qt::AlignHCenter | where, text);
    };
    drawMark(seasonal, Qt::AlignTop);
    drawMark(rokuyo, Qt::AlignBottom);
    painter->restore();
}

KoyomiDayPanel::KoyomiDayPanel(std::function<WriteResult(KoyomiSwitch, bool)> store,
                               std::function<void(const WriteResult&)> refused, QWidget* parent)
    : QWidget(parent), store_(std::move(store)), refused_(std::move(refused))
{
    details_ = new QLabel(this);
    details_->setTextFormat(Qt::PlainText);
    details_->setWordWrap(true);
    details_->setAccessibleName(qs(texts::kBookKoyomiOfDayName));
    line_ = new QCheckBox(qs(texts::kBookKoyomiLine), this);
    line_->setAccessibleName(qs(texts::kBookKoyomiLineName));
    rokuyo_ = new QCheckBox(qs(texts::kBookRokuyo), this);
    rokuyo_->setAccessibleName(qs(texts::kBookRokuyoName));
    line_->setChecked(true);
    rokuyo_->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(details_);
    layout->addWidget(line_, 0, Qt::AlignLeft);
    layout->addWidget(rokuyo_, 0, Qt::AlignLeft);

    // clicked, not toggled: only the user's clicks write; showing the file's state does not.
    connect(line_, &QCheckBox::clicked, this, &KoyomiDayPanel::lineClicked);
    connect(rokuyo_, &QCheckBox::clicked, this, &KoyomiDayPanel::rokuyoClicked);
}

void KoyomiDayPanel::showKoyomi(const KoyomiSettings& settings, Date date)
{
    settings_ = settings;
    day_ = date;
    const QSignalBlocker quietLine(line_);
    const QSignalBlocker quietRokuyo(rokuyo_);
    line_->setChecked(settings.line);
    rokuyo_->setChecked(settings.rokuyo);
    if (!koyomiCovers(date)) {
        details_->clear();
        return;
    }
    // One line per group, its items side by side: the date, the cycles, the season.
    const KoyomiDetails details = koyomiDetails(dovi::koyomiOf(date), settings.rokuyo);
    QString text;
    for (const auto* group : {&details.date, &details.cycles, &details.season}) {
        if (group->empty())
            continue;
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        for (std::size_t i = 0; i < group->size(); ++i)
            text += (i > 0 ? QStringLiteral("\u3000") : QString()) + unbroken(qs((*group)[i]));
    }
    details_->setText(text);
}

void KoyomiDayPanel::lineClicked(bool on) { switchClicked(KoyomiSwitch::Line, on); }
void KoyomiDayPanel::rokuyoClicked(bool on) { switchClicked(KoyomiSwitch::Rokuyo, on); }

void KoyomiDayPanel::switchClicked(KoyomiSwitch which, bool on)
{
    const WriteResult result = store_(which, on);
    if (!result.ok) {
        // The box shows what the file still says.
        showKoyomi(settings_, day_);
        refused_(result);
        return;
    }
    KoyomiSettings stored = settings_;
    (which == KoyomiSwitch::Line ? stored.line : stored.rokuyo) = on;
    showKoyomi(stored, day_);
    emit fileWritten();
}

}  // namespace dovi
