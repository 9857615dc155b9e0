// The 暦 in the book window: a month calendar whose days carry their 六曜 and, where one falls, the
// 二十四節気 or 雑節 in small type; and the panel of the selected day with its full 暦 and the two
// switches of the 暦, which it stores in the settings file when the user changes them.
#pragma once

#include <QCalendarWidget>
#include <QCheckBox>
#include <QLabel>
#include <QWidget>

#include <functional>
#include <map>

#include "book/koyomisettings.h"
#include "calendar/koyomi.h"
#include "settings/settingsfile.h"

namespace dovi {

class KoyomiCalendar final : public QCalendarWidget {
    Q_OBJECT
public:
    explicit KoyomiCalendar(QWidget* parent = nullptr);

    // Which marks the cells show: the 六曜 only while settings.rokuyo is on.
    void setKoyomiSettings(const KoyomiSettings& settings);
    // The marks of a day as its cell shows them: the seasonal mark above the day, the 六曜 below;
    // both "" for a day the 暦 does not cover.
    std::pair<QString, QString> cellMarks(QDate date) const;

protected:
    void paintCell(QPainter* painter, const QRect& rect, QDate date) const override;

private:
    const Koyomi* koyomiOf(QDate date) const;

    KoyomiSettings settings_;
    // The 暦 of the days the grid can show, computed a month at a time when first painted.
    mutable std::map<QDate, Koyomi> days_;
};

// The selected day's full 暦 and the switches.
class KoyomiDayPanel final : public QWidget {
    Q_OBJECT
public:
    // store turns a switch on or off and returns what the write gave; refused tells the user why
    // a write was refused.
    KoyomiDayPanel(std::function<WriteResult(KoyomiSwitch, bool)> store,
                   std::function<void(const WriteResult&)> refused, QWidget* parent = nullptr);

    // Shows the 暦 of date (nothing for a day the 暦 does not cover) and the switches as the file
    // has them now, without writing anything.
    void showKoyomi(const KoyomiSettings& settings, Date date);

    QLabel* details() const { return details_; }
    QCheckBox* lineSwitch() const { return line_; }
    QCheckBox* rokuyoSwitch() const { return rokuyo_; }

    // Event handlers: the user clicked a switch.
    void lineClicked(bool on);
    void rokuyoClicked(bool on);

signals:
    // A switch was stored: what shows the 暦 elsewhere reads the file again.
    void fileWritten();

private:
    void switchClicked(KoyomiSwitch which, bool on);

    std::function<WriteResult(KoyomiSwitch, bool)> store_;
    std::function<void(const WriteResult&)> refused_;
    KoyomiSettings settings_;
    Date day_{};
    QLabel* details_ = nullptr;
    QCheckBox* line_ = nullptr;
    QCheckBox* rokuyo_ = nullptr;
};

}  // namespace dovi
