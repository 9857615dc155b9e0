// The main window: one page of the day calendar.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "calendar/clock.h"
#include "gui/services.h"
#include "settings/settingsfile.h"
#include "gui/widgetkit.h"
#include "page/daypage.h"

namespace dovi {

class Form3;

class Form1 final : public QWidget {
    Q_OBJECT
public:
    explicit Form1(Services services);
    ~Form1() override;

    // Start-up: centres the window with its frame, finds the settings file, decides from the user entry whether
    // the program runs, registers a user first or ends, and draws the date header. The window is
    // shown afterwards by the caller, unless the program has ended (then it returns false).
    bool Form_Load();

    // Single values of the settings file at myini; "0" when absent.
    std::string getini(const std::string& sect, const std::string& key);

    // Event handlers.
    void Form_Click();
    void Form_Resize();
    void Label1_Click();
    void Label2_Click();
    void Label3_Click();
    void Label4_Click();
    void Label5_Click();
    void Label6_Click();
    void Label7_Click();
    void Label8_Click();
    void Timer1_Timer();
    void Timer2_Timer();

    // The registration dialog, while it exists.
    Form3* registrationDialog() const;

    // When the local date is no longer the page's date, draws the date header for today and, once
    // a page has been built, builds the page for today as a start on that day would; true then.
    // Within one day it does nothing and returns false.
    bool turnPageIfNewDay();

    std::filesystem::path myini;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    Shape* Shape1 = nullptr;
    Shape* Shape2 = nullptr;
    Shape* Shape3 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    // The 暦 line under the day of the month: made by the first page build that shows it, so a
    // page without it has no such widget at all.
    QLabel* koyomiLine = nullptr;

    std::array<QString, kMsgListSize> msgList;
    qint16 msgCount = 0;
    qint16 msgIndex = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setUpWindow();
    void createLabelsAndShapes();
    void createTimers();
    void centreOnScreen();
    void centreWithFrameOnce();
    void drawDateHeader(Date today);
    void keepDialogWithWindow();
    void activateRegistration();
    void pinOnTop();
    // The 暦 line under switches, the ones the page build read with the rest of the page.
    void showKoyomiLine(const KoyomiSettings& switches);
    SettingsFile& settings();

    Services services_;
    std::unique_ptr<SettingsFile> settings_;
    // The registration dialog: a child of this window, which owns it as its Qt parent; null once it
    // is deleted, however that happens.
    QPointer<Form3> form3_;
    bool shownOnce_ = false;
    bool centredWithFrame_ = false;
    bool pageBuilt_ = false;
    Date pageDate_{};
};

}  // namespace dovi
