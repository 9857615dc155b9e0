#include "gui/form3.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <string>

#include "gui/failuretext.h"
#include "gui/form1.h"
#include "gui/widgetkit.h"
#include "settings/settingsfile.h"
#include "texts/texts.h"

namespace dovi {

namespace {

constexpr int kClientWidthTwips = 3375;
constexpr int kClientHeightTwips = 4020;
// Gap between the main window and the dialog opened beside it, in pixels.
constexpr int kGapBesideMainWindow = 26;

QScrollBar* birthdayBar(QWidget* parent, const QRect& geometry, const BarDesign& design)
{
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setGeometry(geometry);
    bar->setRange(design.minimum, design.maximum);
    bar->setValue(design.value);
    bar->setSingleStep(design.singleStep);
    bar->setPageStep(design.pageStep);
    bar->setFocusPolicy(Qt::StrongFocus);
    return bar;
}

// An option button as narrow as its circle: its caption is set but clipped away, and the word
// beside it is a separate label.
QRadioButton* optionButton(QWidget* parent, const QRect& geometry, const QString& caption)
{
    auto* button = new QRadioButton(caption, parent);
    button->setGeometry(geometry);
    return button;
}

QPushButton* pushButton(QWidget* parent, const QRect& geometry, std::string_view caption)
{
    auto* button = new QPushButton(qs(caption), parent);
    button->setGeometry(geometry);
    return button;
}

}  // namespace

Form3::Form3(Form1& form1, Services services) : form1_(form1), services_(std::move(services))
{
    buildLayout();
    placeBesideMainWindow();
    Form_Load();
}

Form3::~Form3() = default;

void Form3::buildLayout()
{
    // A fixed dialog frame with a close box only. A parentless dialog may still get a taskbar
    // entry on some desktops; Qt offers no portable way to leave it out.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(twipsToPixels(kClientWidthTwips), twipsToPixels(kClientHeightTwips));
    setWindowTitle(qs(texts::kRegisterCaption));
    setWindowIcon(programIcon());
    const QFont dialogFont = pointFont(kPGothic, 11.25);
    const QFont largeFont = pointFont(kPGothic, 12);
    setFont(dialogFont);

    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignTop;
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignTop;

    // Created top to bottom: the scroll bars come after the value labels and are drawn over
    // their lower edges.
    Label9 = plainLabel(this, twipsRect(360, 120, 2655, 495), left, dialogFont, texts::kRegisterIntro);
    Label9->setWordWrap(true);
    Label6 = plainLabel(this, twipsRect(240, 720, 2055, 255), left, dialogFont, texts::kAskName);

    Text1 = new QLineEdit(this);
    Text1->setGeometry(twipsRect(360, 1080, 1575, 375));
    Text1->setFont(largeFont);

    Combo1 = new QComboBox(this);
    Combo1->setGeometry(twipsRect(2040, 1080, 975, 360));
    Combo1->setFont(largeFont);
    Combo1->setEditable(true);
    // Typed text stays text: Enter must not add it to the list.
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    for (std::string_view address : texts::kAddressChoices)
        Combo1->addItem(qs(address));
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(qs(texts::kDefaultAddress));

    Label7 = plainLabel(this, twipsRect(240, 1560, 1575, 255), left, dialogFont, texts::kAskBirthday);
    Label10 = plainLabel(this, twipsRect(600, 1920, 735, 315), centred, largeFont, std::to_string(kYearBar.value));
    Label3 = plainLabel(this, twipsRect(1320, 1920, 255, 255), left, dialogFont, texts::kYearUnit);
    Label11 = plainLabel(this, twipsRect(1560, 1920, 375, 255), centred, dialogFont, std::to_string(kMonthBar.value));
    Label5 = plainLabel(this, twipsRect(1920, 1920, 255, 255), left, dialogFont, texts::kMonthUnit);
    Label12 = plainLabel(this, twipsRect(2160, 1920, 375, 375), centred, dialogFont, std::to_string(kDayBar.value));
    Label4 = plainLabel(this, twipsRect(2520, 1920, 255, 255), left, dialogFont, texts::kDayUnit);
    HScroll1 = birthdayBar(this, twipsRect(840, 2160, 375, 255), kYearBar);
    HScroll2 = birthdayBar(this, twipsRect(1560, 2160, 375, 255), kMonthBar);
    HScroll3 = birthdayBar(this, twipsRect(2160, 2160, 375, 255), kDayBar);

    Label8 = plainLabel(this, twipsRect(240, 2520, 975, 255), left, dialogFont, texts::kAskSex);
    Option1 = optionButton(this, twipsRect(360, 2880, 255, 225), QStringLiteral("Option1"));
    Label1 = plainLabel(this, twipsRect(600, 2880, 495, 255), left, dialogFont, texts::kMale);
    Option2 = optionButton(this, twipsRect(1320, 2880, 255, 255), QStringLiteral("Option2"));
    Label2 = plainLabel(this, twipsRect(1560, 2880, 495, 255), left, dialogFont, texts::kFemale);
    Option3 = optionButton(this, twipsRect(2280, 2880, 255, 255), QStringLiteral("Option3"));
    Label13 = plainLabel(this, twipsRect(2520, 2880, 735, 255), left, dialogFont, texts::kOtherSex);

    Command1 = pushButton(this, twipsRect(360, 3360, 1335, 495), texts::kRegisterButton);
    Command1->setEnabled(false);
    Command1->setDefault(true);
    Command2 = pushButton(this, twipsRect(1800, 3360, 1335, 495), texts::kQuitButton);

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
}

void Form3::hScroll2_Change()
{
    Label11->setText(qs(mirrorText(HScroll2->value())));
    HScroll2->setValue(keptMonth(HScroll2->value()));
    HScroll3->setValue(dayForMonth(HScroll2->value(), HScroll3->value()));
}

void Form3::hScroll3_Change()
{
    Label12->setText(qs(mirrorText(HScroll3->value())));
    HScroll3->setValue(keptDay(HScroll2->value(), HScroll3->value()));
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
    services_.endProgram();
}

void Form3::Form_Unload(qint16& /*cancel*/)
{
    services_.endProgram();
}

void Form3::reject()
{
    Command2_Click();
}

void Form3::closeEvent(QCloseEvent* event)
{
    qint16 cancel = 0;
    Form_Unload(cancel);
    event->setAccepted(cancel == 0);
}

}  // namespace dovi
