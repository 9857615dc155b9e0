#include "gui/form1.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPalette>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

#include "book/snapshot.h"
#include "calendar/dateheader.h"
#include "page/pageday.h"
#include "register/startup.h"
#include "texts/texts.h"
#include "gui/commandline.h"
#include "gui/form3.h"

namespace dovi {

namespace {

constexpr std::uint32_t kBackground = 0x00E0FFFF;     // pale yellow
constexpr std::uint32_t kHolidayText = 0x00FFFF00;    // cyan
constexpr std::uint32_t kHolidayMark = 0x008080FF;    // salmon pink
constexpr std::uint32_t kGreetingBand = 0x0080FFFF;   // light yellow
// A tick that finds the counter at this value or above minimises the window: from 0 the ticker
// shows thirteen captions, from 1 (after an automatic minimise) twelve.
constexpr qint16 kTickLimit = 12;

}  // namespace

Form1::Form1(Services services) : services_(std::move(services))
{
    setUpWindow();
    createLabelsAndShapes();
    createTimers();
}

Form1::~Form1()
{
    // The dialog refers to this window: it goes while this window is still whole, not among the
    // children that QWidget deletes after this window's own parts are gone.
    delete form3_.data();
}

Form3* Form1::registrationDialog() const { return form3_.data(); }

void Form1::setUpWindow()
{
    const QRect client = form1layout::kClient.pixels();
    setFixedSize(client.size());
    setWindowTitle(qs(texts::kDesignCaption));
    setWindowIcon(programIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, storedColor(kBackground));
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);
    setFont(designFont(form1layout::kWindowFont));
    // The page comes up at login or from a menu while the user types elsewhere: it is shown (and
    // later pinned on top) without taking the keyboard. It has no control that takes keys.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
}

void Form1::createLabelsAndShapes()
{
    using namespace form1layout;
    // Created bottom to top: later children are drawn over earlier ones.
    Label1 = plainLabel(this, kLabel1, texts::kDesignLabel1);
    Shape1 = new Shape(this, kShape1.pixels(), Shape::Form::Circle);
    Shape1->setFill(storedColor(kHolidayMark));
    Shape1->hide();
    Label2 = plainLabel(this, kLabel2, texts::kDesignLabel2);
    Label3 = plainLabel(this, kLabel3, texts::kDesignLabel3);
    Label4 = plainLabel(this, kLabel4, texts::kDesignLabel4);
    Shape2 = new Shape(this, kShape2.pixels(), Shape::Form::Rectangle);
    Shape2->setBorder(Qt::black);
    Shape3 = new Shape(this, kShape3.pixels(), Shape::Form::Rectangle);
    Shape3->setBorder(Qt::black);
    Shape3->setFill(storedColor(kGreetingBand));
    Label5 = plainLabel(this, kLabel5, texts::kDesignLabel5);
    Label6 = plainLabel(this, kLabel6);
    Label7 = plainLabel(this, kLabel7);
    Label8 = plainLabel(this, kLabel8);
    QPalette holiday = Label8->palette();
    holiday.setColor(QPalette::WindowText, storedColor(kHolidayText));
    Label8->setPalette(holiday);

    for (QLabel* label : {Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8})
        label->installEventFilter(this);

    // A screen reader reads each label's text (its name) with what the line is for.
    setAccessibleName(qs(texts::kPageName));
    const std::pair<QLabel*, std::string_view> roles[] = {
        {Label1, texts::kEraLineRole},  {Label2, texts::kDayRole},      {Label3, texts::kWeekdayRole},
        {Label4, texts::kMessageRole},  {Label5, texts::kGreetingRole}, {Label6, texts::kSayingRole},
        {Label7, texts::kSourceRole},   {Label8, texts::kHolidayRole},
    };
    for (const auto& [label, role] : roles)
        label->setAccessibleDescription(qs(role));
}

void Form1::createTimers()
{
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    Timer2 = new QTimer(this);
    Timer2->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
}

SettingsFile& Form1::settings()
{
    if (!settings_ || settings_->path() != myini)
        settings_ = std::make_unique<SettingsFile>(myini);
    return *settings_;
}

std::string Form1::getini(const std::string& sect, const std::string& key)
{
    return settings().read(sect, key);
}

bool Form1::Form_Load()
{
    // The window is not shown yet and its frame is not known: it is centred by its client area
    // here, and once more with its frame as soon as the frame is known (centreWithFrameOnce).
    centreOnScreen();

    myini = SettingsFile::pathIn(services_.currentDirectory());
    const std::optional<std::string> user = BookSnapshot::read(settings()).profile().user;

    setTimerEnabled(*Timer1, false);
    setTimerEnabled(*Timer2, true);

    switch (decideStartup(user)) {
    case Startup::Broken:
        setTimerEnabled(*Timer2, false);
        // The box is all a desktop user sees; a terminal or the session log also learns which
        // folder was searched and how the file gets there.
        services_.showMessage(qs(texts::kStartupErrorTitle), qs(texts::kStartupErrorText));
        services_.printError(startupFailureText(myini.parent_path()));
        services_.endProgram(1);
        return false;
    case Startup::Register:
        // The dialog enables Timer2 once the user is registered. It takes the keyboard: the page
        // shown after it never does (setUpWindow).
        setTimerEnabled(*Timer2, false);
        delete form3_.data();
        form3_ = new Form3(*this, services_);
        form3_->show();
        break;
    case Startup::Run:
        break;
    }

    msgIndex = 0;
    msgCount = 0;
    drawDateHeader(services_.clock->now().date);
    return true;
}

void Form1::centreOnScreen()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(centredCorner(screen->geometry(), frameGeometry().size()));
}

void Form1::drawDateHeader(Date today)
{
    const DateHeader header = makeDateHeader(today);
    Label1->setText(qs(header.eraLine));
    Label2->setText(qs(header.day));
    Label3->setText(qs(header.weekdayLine));
    setWindowTitle(qs(header.caption));
    QPalette palette = Label2->palette();
    palette.setColor(QPalette::WindowText, header.dayColor ? storedColor(*header.dayColor) : QColor(Qt::black));
    Label2->setPalette(palette);
    pageDate_ = today;
}

bool Form1::turnPageIfNewDay()
{
    const Date today = services_.clock->now().date;
    if (!pageIsStale(pageDate_, today))
        return false;
    msgIndex = 0;
    msgCount = 0;
    drawDateHeader(today);
    // Before the first build (a registration pending, or Timer2 about to run) the header is all
    // a start on this day would show.
    if (pageBuilt_)
        Timer2_Timer();
    return true;
}

void Form1::Form_Click()
{
    msgIndex = 0;
    // Minimising raises the state-change event, whose handler enables Timer1; disabling it
    // afterwards leaves the ticker stopped.
    showMinimized();
    setTimerEnabled(*Timer1, false);
}

void Form1::Form_Resize()
{
    setTimerEnabled(*Timer1, true);
    // Shown again after midnight (or after days asleep): the page turns to today.
    if (!isMinimized())
        turnPageIfNewDay();
}

void Form1::Label1_Click() { Form_Click(); }
void Form1::Label2_Click() { Form_Click(); }
void Form1::Label3_Click() { Form_Click(); }
void Form1::Label4_Click() { Form_Click(); }
void Form1::Label5_Click() { Form_Click(); }
void Form1::Label6_Click() { Form_Click(); }
void Form1::Label7_Click() { Form_Click(); }
void Form1::Label8_Click() { Form_Click(); }

void Form1::Timer1_Timer()
{
    if (turnPageIfNewDay())
        return;
    // Before the first page build the list is empty. The ticker then waits without counting: the
    // message line keeps its text and the page stays open beside the registration dialog.
    if (msgCount <= 0)
        return;
    Label4->setText(msgList[std::size_t(msgIndex % msgCount)]);
    if (msgIndex >= kTickLimit)
        Form_Click();
    ++msgIndex;
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const std::array<std::pair<QLabel*, void (Form1::*)()>, 8> handlers{{
            {Label1, &Form1::Label1_Click}, {Label2, &Form1::Label2_Click}, {Label3, &Form1::Label3_Click},
            {Label4, &Form1::Label4_Click}, {Label5, &Form1::Label5_Click}, {Label6, &Form1::Label6_Click},
            {Label7, &Form1::Label7_Click}, {Label8, &Form1::Label8_Click},
        }};
        for (const auto& [label, handler] : handlers) {
            if (watched == label) {
                (this->*handler)();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::mouseReleaseEvent(QMouseEvent*)
{
    // Any button, as on the labels.
    Form_Click();
}

void Form1::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        keepDialogWithWindow();
        Form_Resize();
    }
    QWidget::changeEvent(event);
}

void Form1::keepDialogWithWindow()
{
    // While the registration dialog waits, it goes wherever the page goes: minimised with it and
    // restored with it, whatever the window manager does with transient windows.
    if (!form3_ || !form3_->isVisible())
        return;
    if (isMinimized() && !form3_->isMinimized())
        form3_->showMinimized();
    else if (!isMinimized() && form3_->isMinimized())
        form3_->showNormal();
}

void Form1::activateRegistration()
{
    if (form3_ && form3_->isVisible()) {
        form3_->raise();
        form3_->activateWindow();
    }
}

void Form1::showEvent(QShowEvent* event)
{
    // The first showing counts as the window's first resize.
    if (!shownOnce_ && !event->spontaneous()) {
        shownOnce_ = true;
        Form_Resize();
        // Where the frame is known at once, the window is centred with it right after showing.
        QMetaObject::invokeMethod(this, &Form1::centreWithFrameOnce, Qt::QueuedConnection);
        // The registration dialog keeps the keyboard, once the page is on the screen too.
        if (form3_)
            QMetaObject::invokeMethod(this, &Form1::activateRegistration, Qt::QueuedConnection);
    }
    QWidget::showEvent(event);
}

void Form1::moveEvent(QMoveEvent* event)
{
    // A window manager that frames the window after mapping it moves the client area.
    centreWithFrameOnce();
    QWidget::moveEvent(event);
}

void Form1::centreWithFrameOnce()
{
    if (!centredWithFrame_ && isVisible() && frameGeometry().size() != size()) {
        centredWithFrame_ = true;
        centreOnScreen();
    }
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Closing the page ends the program, also while the registration dialog is hidden.
    event->accept();
    services_.endProgram(0);
}

void Form1::pinOnTop()
{
    // Above all other windows without being activated, moved or resized: the window manager's
    // "above" state on the existing native window.
    if (isHidden())
        show();
    overrideWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    if (QWindow* window = windowHandle())
        window->setFlag(Qt::WindowStaysOnTopHint, true);
}

}  // namespace dovi
