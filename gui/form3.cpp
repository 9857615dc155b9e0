#include "gui/form3.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <tuple>
#include <string>

#include "gui/failuretext.h"
#include "gui/form1.h"
#include "gui/widgetkit.h"
#include "settings/settingsfile.h"
#include "texts/texts.h"

namespace dovi {

namespace {

// Gap between the main window and the dialog opened beside it, in pixels.
constexpr int kGapBesideMainWindow = 26;

QScrollBar* birthdayBar(QWidget* parent, const Box& box, const BarDesign& design)
{
    auto* bar = new SpinBar(parent);
    bar->setGeometry(box.pixels());
    bar->setRange(design.minimum, design.maximum);
    bar->setValue(design.value);
    bar->setSingleStep(design.singleStep);
    bar->setPageStep(design.pageStep);
    bar->setFocusPolicy(Qt::StrongFocus);
    return bar;
}

// An option button as narrow as its circle: its caption is set but clipped away, and the word
// beside it is a separate label.
QRadioButton* optionButton(QWidget* parent, const Box& box, const QString& caption)
{
    auto* button = new QRadioButton(caption, parent);
    button->setGeometry(box.pixels());
    return button;
}

QPushButton* pushButton(QWidget* parent, const Box& box, std::string_view caption)
{
    auto* button = new QPushButton(qs(caption), parent);
    button->setGeometry(box.pixels());
    return button;
}

}  // namespace

Form3::Form3(Form1& form1, Services services) : QDialog(&form1), form1_(form1), services_(std::move(services))
{
    // Created top to bottom: the scroll bars come after the value labels and are drawn over
    // their lower edges.
    setUpWindow();
    createNameRow();
    createBirthdayRow();
    createSexRow();
    createButtons();
    setUpFocusOrder();
    connectHandlers();
    placeBesideMainWindow();
    Form_Load();
}

Form3::~Form3() = default;

void Form3::setUpWindow()
{
    // A fixed dialog frame with a close box only, transient for the main window (no taskbar entry
    // of its own).
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(form3layout::kClient.pixels().size());
    setWindowTitle(qs(texts::kRegisterCaption));
    setWindowIcon(programIcon());
    setFont(designFont(form3layout::kDialogFont));
}

void Form3::createNameRow()
{
    using namespace form3layout;
    Label9 = plainLabel(this, kLabel9, texts::kRegisterIntro);
    Label6 = plainLabel(this, kLabel6, texts::kAskName);

    Text1 = new QLineEdit(this);
    Text1->setGeometry(kText1.pixels());
    Text1->setFont(designFont(kLargeFont));

    Combo1 = new QComboBox(this);
    Combo1->setGeometry(kCombo1.pixels());
    Combo1->setFont(designFont(kLargeFont));
    Combo1->setEditable(true);
    // Typed text stays text: Enter must not add it to the list.
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    for (std::string_view address : texts::kAddressChoices)
        Combo1->addItem(qs(address));
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(qs(texts::kDefaultAddress));

    Text1->setAccessibleName(qs(texts::kNameField));
    Text1->setAccessibleDescription(qs(texts::kNameFieldRole));
    Combo1->setAccessibleName(qs(texts::kAddressField));
    Combo1->setAccessibleDescription(qs(texts::kAddressFieldRole));
    Combo1->lineEdit()->setAccessibleName(qs(texts::kAddressField));
    Combo1->view()->setAccessibleName(qs(texts::kAddressList));
    Label6->setBuddy(Text1);
}

void Form3::createBirthdayRow()
{
    using namespace form3layout;
    Label7 = plainLabel(this, kLabel7, texts::kAskBirthday);
    Label10 = plainLabel(this, kLabel10, std::to_string(kYearBar.value));
    Label3 = plainLabel(this, kLabel3, texts::kYearUnit);
    Label11 = plainLabel(this, kLabel11, std::to_string(kMonthBar.value));
    Label5 = plainLabel(this, kLabel5, texts::kMonthUnit);
    Label12 = plainLabel(this, kLabel12, std::to_string(kDayBar.value));
    Label4 = plainLabel(this, kLabel4, texts::kDayUnit);
    HScroll1 = birthdayBar(this, kHScroll1, kYearBar);
    HScroll2 = birthdayBar(this, kHScroll2, kMonthBar);
    HScroll3 = birthdayBar(this, kHScroll3, kDayBar);

    // Each bar is named for its field; the value it reads out is the bar's value.
    const std::tuple<QScrollBar*, QLabel*, std::string_view> bars[] = {
        {HScroll1, Label10, texts::kYearBarName},
        {HScroll2, Label11, texts::kMonthBarName},
        {HScroll3, Label12, texts::kDayBarName},
    };
    for (const auto& [bar, mirror, name] : bars) {
        bar->setAccessibleName(qs(name));
        bar->setAccessibleDescription(qs(texts::kBirthdayBarRole));
        mirror->setBuddy(bar);
    }
    Label7->setBuddy(HScroll1);
}

void Form3::createSexRow()
{
    using namespace form3layout;
    Label8 = plainLabel(this, kLabel8, texts::kAskSex);
    Option1 = optionButton(this, kOption1, QStringLiteral("Option1"));
    Label1 = plainLabel(this, kLabel1, texts::kMale);
    Option2 = optionButton(this, kOption2, QStringLiteral("Option2"));
    Label2 = plainLabel(this, kLabel2, texts::kFemale);
    Option3 = optionButton(this, kOption3, QStringLiteral("Option3"));
    Label13 = plainLabel(this, kLabel13, texts::kOtherSex);

    // The buttons' own captions are clipped away: each is named by the word beside it.
    const std::tuple<QRadioButton*, QLabel*, std::string_view> options[] = {
        {Option1, Label1, texts::kMale},
        {Option2, Label2, texts::kFemale},
        {Option3, Label13, texts::kOtherSex},
    };
    for (const auto& [option, word, name] : options) {
        option->setAccessibleName(qs(name));
        option->setAccessibleDescription(qs(texts::kSexRole));
        word->setBuddy(option);
    }
    Label8->setBuddy(Option1);
}

void Form3::createButtons()
{
    Command1 = pushButton(this, form3layout::kCommand1, texts::kRegisterButton);
    Command1->setEnabled(false);
    Command1->setDefault(true);
    Command2 = pushButton(this, form3layout::kCommand2, texts::kQuitButton);
    Command1->setAccessibleDescription(qs(texts::kRegisterRole));
    Command2->setAccessibleDescription(qs(texts::kQuitRole));
}

void Form3::setUpFocusOrder()
{
    setTabOrder(Text1, Combo1);
    setTabOrder(Combo1, HScroll1);
    setTabOrder(HScroll1, HScroll2);
    setTabOrder(HScroll2, HScroll3);
    setTabOrder(HScroll3, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Option2);
    setTabOrder(Option2, Option1);
    setTabOrder(Option1, Option3);
    Text1->setFocus();
}

void Form3::connectHandlers()
{
    // A bar's change handler also runs, nested, when a rule assigns the bar a new value.
    connect(HScroll1, &QScrollBar::valueChanged, this, &Form3::HScroll1_Change);
    connect(HScroll2, &QScrollBar::valueChanged, this, &Form3::hScroll2_Change);
    connect(HScroll3, &QScrollBar::valueChanged, this, &Form3::hScroll3_Change);
    // An option counts as chosen however it got selected: click, Space or arrow keys.
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) { if (on) Option1_Click(); });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) { if (on) Option2_Click(); });
    connect(Option3, &QRadioButton::toggled, this, [this](bool on) { if (on) Option3_Click(); });
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
}

void Form3::placeBesideMainWindow()
{
    // To the right of the main window (already centred on the screen), level with its middle,
    // and kept on the screen.
    QPoint corner(form1_.x() + form1_.width() + kGapBesideMainWindow,
                  form1_.y() + (form1_.height() - height()) / 2);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        corner.setX(std::max(area.left(), std::min(corner.x(), area.right() + 1 - width())));
        corner.setY(std::max(area.top(), std::min(corner.y(), area.bottom() + 1 - height())));
    }
    move(corner);
}

void Form3::Form_Load()
{
    Label10->setText(qs(mirrorText(HScroll1->value())));
    Label11->setText(qs(mirrorText(HScroll2->value())));
    Label12->setText(qs(mirrorText(HScroll3->value())));
}

void Form3::HScroll1_Change()
{
    Label10->setText(qs(mirrorText(HScroll1->value())));
    HScroll1->setValue(keptYear(HScroll1->value()));
    // 29 February only in a leap year.
    HScroll3->setValue(dayForMonth(HScroll1->value(), HScroll2->value(), HScroll3->value()));
}

void Form3::hScroll2_Change()
{
    Label11->setText(qs(mirrorText(HScroll2->value())));
    HScroll2->setValue(keptMonth(HScroll2->value()));
    HScroll3->setValue(dayForMonth(HScroll1->value(), HScroll2->value(), HScroll3->value()));
}

void Form3::hScroll3_Change()
{
    Label12->setText(qs(mirrorText(HScroll3->value())));
    HScroll3->setValue(keptDay(HScroll1->value(), HScroll2->value(), HScroll3->value()));
}

void Form3::chooseSex(std::string_view sex)
{
    chosenSex = qs(sex);
    Command1->setEnabled(true);
}

void Form3::Option1_Click() { chooseSex(texts::kMale); }
void Form3::Option2_Click() { chooseSex(texts::kFemale); }
void Form3::Option3_Click() { chooseSex(texts::kOtherSex); }

RegistrationForm Form3::currentForm() const
{
    return {(Text1->text() + Combo1->currentText()).toStdString(), Label10->text().toStdString(),
            Label11->text().toStdString(), Label12->text().toStdString(), chosenSex.toStdString()};
}

void Form3::Command1_Click()
{
    const RegistrationForm form = currentForm();
    // A birthday after today's year would give a negative age on every page.
    const int thisYear = int(services_.clock->now().date.year());
    if (const std::string refusal = birthYearRefusal(HScroll1->value(), thisYear); !refusal.empty()) {
        services_.showMessage(qs(texts::kRegisterCaption), qs(refusal));
        return;
    }
    if (!services_.confirm(qs(texts::kConfirmTitle), qs(confirmationPrompt(form))))
        return;

    SettingsFile file(SettingsFile::pathIn(services_.currentDirectory()));
    const WriteResult result = storeProfile(file, profileValues(form, services_.clock->now().date));
    if (!result.ok) {
        // Nothing is registered (the four values go into the file in one replacement): a name the
        // file cannot hold would otherwise be stored altered, and a profile that was not stored
        // would ask for registration again at the next start. The dialog stays open with every
        // value, so the user can change the name, try again or quit.
        services_.showMessage(qs(texts::kRegisterCaption),
                              failureText(result) + QLatin1Char('\n') + qs(texts::kRegistrationNotStored));
        return;
    }

    // The new user's page comes into view, also when the window was minimised meanwhile.
    form1_.show();
    if (form1_.isMinimized())
        form1_.showNormal();
    setTimerEnabled(*form1_.Timer2, true);
    hide();
}

void Form3::Command2_Click()
{
    services_.endProgram(0);
}

void Form3::Form_Unload(qint16& cancel)
{
    // Closing ends the program whatever the flag says; the flag stays as the close event set it.
    static_cast<void>(cancel);
    services_.endProgram(0);
}

void Form3::reject()
{
    Command2_Click();
}

void Form3::changeEvent(QEvent* event)
{
    // Minimised on its own (some window managers offer that for every window), the dialog takes
    // the page along: it never stays out of sight while the page waits for it.
    if (event->type() == QEvent::WindowStateChange && isVisible() && isMinimized() && !form1_.isMinimized() &&
        form1_.isVisible())
        form1_.showMinimized();
    QDialog::changeEvent(event);
}

void Form3::closeEvent(QCloseEvent* event)
{
    // The close event's own flag: non-zero keeps the dialog open.
    qint16 cancel = event->isAccepted() ? 0 : 1;
    Form_Unload(cancel);
    event->setAccepted(cancel == 0);
}

}  // namespace dovi
