#include "gui/bookwindow.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

#include "gui/failuretext.h"
#include "gui/profiledialog.h"
#include "gui/widgetkit.h"
#include "texts/texts.h"

namespace dovi {

namespace {

constexpr AccessKeys kSayingKeys{'A', 'C', 'R', 'U', 'W', 'N', 'M', 'S', 'G'};

// The size the window is designed for, in logical pixels.
constexpr QSize kDesignedSize(820, 560);
// Room left for the window manager's frame and title bar.
constexpr QSize kFrameRoom(16, 48);

QLabel* plainText(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

}  // namespace

QSize BookWindow::openingSize(const QRect& screenArea)
{
    if (screenArea.isEmpty())
        return kDesignedSize;
    return kDesignedSize.boundedTo(screenArea.size() - kFrameRoom);
}

BookWindow::BookWindow(Services services)
    : services_(std::move(services)), settings_(SettingsFile::pathIn(services_.currentDirectory()))
{
    setWindowTitle(qs(texts::kBookTitle));
    setWindowIcon(programIcon());
    setFont(pointFont(kPGothic, 10.5));

    tabs_ = new QTabWidget(this);
    tabs_->setAccessibleName(qs(texts::kBookTabs));
    auto* daysTab = new QWidget;
    auto* sayingsTab = new QWidget;
    tabs_->addTab(daysTab, qs(texts::kBookDaysTab));
    tabs_->addTab(sayingsTab, qs(texts::kBookSayingsTab));

    calendar_ = new MonthCalendar(services_.clock->now().date, daysTab);
    day_ = new DayPanel(settings_, services_, daysTab);
    koyomi_ = new KoyomiDayPanel([this](KoyomiSwitch which, bool on) { return storeKoyomiSwitch(settings_, which, on); },
                                 [this](const WriteResult& result) {
                                     services_.showMessage(qs(texts::kBookTitle), failureText(result));
                                 },
                                 daysTab);
    panels_[0] = day_->birthdays;
    panels_[1] = day_->specialDays;
    panels_[2] = new ListPanel(sayingList(), kSayingKeys, settings_, services_, sayingsTab);
    profile_ = new QPushButton(qs(texts::kBookProfile), this);
    profile_->setAutoDefault(false);
    readOnly_ = plainText(qs(texts::kBookReadOnly), this);
    readOnly_->setStyleSheet(QStringLiteral("color: #a00000;"));
    readOnly_->hide();

    auto* left = new QVBoxLayout;
    // The calendar takes the column's height: its cells have room for the 暦 of each day.
    left->addWidget(calendar_, 1);
    left->addWidget(koyomi_);
    auto* days = new QHBoxLayout(daysTab);
    days->addLayout(left);
    days->addWidget(day_, 1);
    auto* sayings = new QVBoxLayout(sayingsTab);
    sayings->addWidget(panels_[2]);

    auto* foot = new QHBoxLayout;
    foot->addWidget(plainText(qs(texts::kBookFile).arg(QString::fromStdString(settings_.path().string())), this), 1);
    foot->addWidget(profile_);
    auto* whole = new QVBoxLayout(this);
    whole->addWidget(readOnly_);
    whole->addWidget(tabs_, 1);
    whole->addLayout(foot);
    const QScreen* screen = this->screen();
    resize(openingSize(screen ? screen->availableGeometry() : QRect()));

    connect(calendar_, &MonthCalendar::dayChosen, this, &BookWindow::dayChanged);
    connect(calendar_, &MonthCalendar::monthShown, this, &BookWindow::fileChanged);
    connect(tabs_, &QTabWidget::currentChanged, this, &BookWindow::tabChanged);
    connect(profile_, &QPushButton::clicked, this, &BookWindow::profileClicked);
    for (ListPanel* panel : panels_)
        connect(panel, &ListPanel::fileWritten, this, &BookWindow::fileChanged);
    connect(koyomi_, &KoyomiDayPanel::fileWritten, this, &BookWindow::fileChanged);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &BookWindow::fileChanged);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &BookWindow::fileChanged);
    shownDay_ = calendar_->selectedDate();
    watchFile();
    fileChanged();
}

BookWindow::~BookWindow() = default;

bool BookWindow::settle(std::initializer_list<List> lists)
{
    return std::all_of(lists.begin(), lists.end(), [this](List list) { return panel(list).settleTypedText(); });
}

void BookWindow::dayChanged()
{
    if (calendar_->selectedDate() == shownDay_)
        return;
    // The day shown stays until the typed text is settled: saving it writes to that day.
    if (!settle({List::Birthdays, List::SpecialDays})) {
        calendar_->restoreSelection(shownDay_);
        return;
    }
    shownDay_ = calendar_->selectedDate();
    fileChanged();
}

void BookWindow::tabChanged(int index)
{
    if (index == shownTab_)
        return;
    const bool left = shownTab_ == 0 ? settle({List::Birthdays, List::SpecialDays}) : settle({List::Sayings});
    if (!left) {
        const QSignalBlocker quiet(tabs_);
        tabs_->setCurrentIndex(shownTab_);
        return;
    }
    shownTab_ = index;
}

void BookWindow::closeEvent(QCloseEvent* event)
{
    if (settle({List::Birthdays, List::SpecialDays, List::Sayings}))
        event->accept();
    else
        event->ignore();
}

void BookWindow::profileClicked()
{
    ProfileDialog profile(settings_.path(), services_, this);
    profile.exec();
    fileChanged();
}

void BookWindow::fileChanged()
{
    watchFile();
    const BookSnapshot snapshot = BookSnapshot::read(settings_);
    day_->showDay(snapshot, shownDay_);
    koyomi_->showKoyomi(snapshot.koyomiSettings(), toDate(shownDay_));
    panels_[2]->showEntries(snapshot, {}, shownDay_.year());
    calendar_->markMonth(snapshot);
    // A file that cannot be written is said once, above the tabs, and nothing offers to edit it.
    const QFileInfo file(QString::fromStdString(settings_.path().string()));
    const bool noWriteBit = !(file.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
    const bool readOnly = file.exists() && (noWriteBit || !file.isWritable());
    readOnly_->setVisible(readOnly);
    for (ListPanel* panel : panels_)
        panel->setEditable(!readOnly);
    koyomi_->setEnabled(!readOnly);
}

void BookWindow::changeEvent(QEvent* event)
{
    // Coming back to the window re-reads the file: a change made meanwhile shows at once, even
    // where the file system sends no notice.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        fileChanged();
    QWidget::changeEvent(event);
}

void BookWindow::watchFile()
{
    // The settings file is replaced by a rename on every write, so the folder is watched, and the
    // file itself for editors that write in place.
    const QString folder = QString::fromStdString(settings_.path().parent_path().string());
    const QString file = QString::fromStdString(settings_.path().string());
    if (!folder.isEmpty() && !watcher_.directories().contains(folder))
        watcher_.addPath(folder);
    if (!watcher_.files().contains(file) && QFileInfo::exists(file))
        watcher_.addPath(file);
}

}  // namespace dovi
