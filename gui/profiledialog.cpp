#include "gui/profiledialog.h"

#include <QAbstractItemView>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "book/snapshot.h"
#include "gui/failuretext.h"
#include "gui/widgetkit.h"
#include "settings/settingsfile.h"
#include "texts/texts.h"

namespace dovi {

namespace {

QScrollBar* birthdayBar(QWidget* parent, const BarDesign& design, std::string_view name)
{
    auto* bar = new SpinBar(parent);
    bar->setRange(design.minimum, design.maximum);
    bar->setSingleStep(design.singleStep);
    bar->setPageStep(design.pageStep);
    bar->setFocusPolicy(Qt::StrongFocus);
    bar->setAccessibleName(qs(name));
    bar->setAccessibleDescription(qs(texts::kBirthdayBarRole));
    return bar;
}

QLabel* textLabel(QWidget* parent, std::string_view text)
{
    auto* label = new QLabel(qs(text), parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

ProfileDialog::ProfileDialog(std::filesystem::path ini, Services services, QWidget* parent)
    : QDialog(parent), ini_(std::move(ini)), services_(std::move(services))
{
    setWindowTitle(qs(texts::kProfileCaption));
    setWindowIcon(programIcon());
    build();
    SettingsFile file(ini_);
    const Profile profile = BookSnapshot::read(file).profile();
    fill(splitProfile(textAsRead(profile.user), textAsRead(profile.birthdayText), textAsRead(profile.sex)));
}

void ProfileDialog::build()
{
    auto* layout = new QVBoxLayout(this);

    QLabel* askName = textLabel(this, texts::kAskName);
    nameField = new QLineEdit(this);
    nameField->setAccessibleName(qs(texts::kNameField));
    nameField->setAccessibleDescription(qs(texts::kNameFieldRole));
    askName->setBuddy(nameField);
    addressField = new QComboBox(this);
    addressField->setEditable(true);
    // Typed text stays text: Enter must not add it to the list.
    addressField->setInsertPolicy(QComboBox::NoInsert);
    for (std::string_view address : texts::kAddressChoices)
        addressField->addItem(qs(address));
    addressField->setAccessibleName(qs(texts::kAddressField));
    addressField->setAccessibleDescription(qs(texts::kAddressFieldRole));
    addressField->lineEdit()->setAccessibleName(qs(texts::kAddressField));
    addressField->view()->setAccessibleName(qs(texts::kAddressList));
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameField, 2);
    nameRow->addWidget(addressField, 1);
    layout->addWidget(askName);
    layout->addLayout(nameRow);

    QLabel* askBirthday = textLabel(this, texts::kAskBirthday);
    auto* birthday = new QGridLayout;
    yearText = textLabel(this, {});
    monthText = textLabel(this, {});
    dayText = textLabel(this, {});
    yearBar = birthdayBar(this, kYearBar, texts::kYearBarName);
    monthBar = birthdayBar(this, kMonthBar, texts::kMonthBarName);
    dayBar = birthdayBar(this, kDayBar, texts::kDayBarName);
    const std::tuple<QLabel*, std::string_view, QScrollBar*> fields[] = {
        {yearText, texts::kYearUnit, yearBar}, {monthText, texts::kMonthUnit, monthBar}, {dayText, texts::kDayUnit, dayBar}};
    int column = 0;
    for (const auto& [mirror, unit, bar] : fields) {
        mirror->setAlignment(Qt::AlignCenter);
        mirror->setBuddy(bar);
        birthday->addWidget(mirror, 0, column);
        birthday->addWidget(textLabel(this, unit), 0, column + 1);
        birthday->addWidget(bar, 1, column);
        column += 2;
    }
    askBirthday->setBuddy(yearBar);
    layout->addWidget(askBirthday);
    layout->addLayout(birthday);

    QLabel* askSex = textLabel(this, texts::kAskSex);
    male = new QRadioButton(qs(texts::kMale), this);
    female = new QRadioButton(qs(texts::kFemale), this);
    otherSex = new QRadioButton(qs(texts::kOtherSex), this);
    sexes_ = new QButtonGroup(this);
    auto* sexRow = new QHBoxLayout;
    for (QRadioButton* option : {male, female, otherSex}) {
        option->setAccessibleDescription(qs(texts::kSexRole));
        sexes_->addButton(option);
        sexRow->addWidget(option);
    }
    askSex->setBuddy(male);
    layout->addWidget(askSex);
    layout->addLayout(sexRow);

    changeButton = new QPushButton(qs(texts::kChangeButton), this);
    changeButton->setDefault(true);
    cancelButton = new QPushButton(qs(texts::kCancelButton), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(changeButton);
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);

    connect(yearBar, &QScrollBar::valueChanged, this, &ProfileDialog::yearChanged);
    connect(monthBar, &QScrollBar::valueChanged, this, &ProfileDialog::monthChanged);
    connect(dayBar, &QScrollBar::valueChanged, this, &ProfileDialog::dayChanged);
    // As in the registration, a sex must be chosen before the profile can be stored.
    connect(sexes_, &QButtonGroup::buttonToggled, this, [this] { changeButton->setEnabled(sexes_->checkedButton()); });
    connect(changeButton, &QPushButton::clicked, this, &ProfileDialog::change);
    connect(cancelButton, &QPushButton::clicked, this, &ProfileDialog::reject);
}

void ProfileDialog::fill(const StoredProfile& profile)
{
    nameField->setText(qs(profile.name));
    addressField->setCurrentIndex(-1);
    addressField->setEditText(qs(profile.address));
    // Month first, then the day, then the year: each assignment runs its bar's rules.
    monthBar->setValue(profile.month);
    yearBar->setValue(profile.year);
    dayBar->setValue(profile.day);
    yearText->setText(qs(mirrorText(yearBar->value())));
    monthText->setText(qs(mirrorText(monthBar->value())));
    dayText->setText(qs(mirrorText(dayBar->value())));
    if (const QString sex = qs(profile.sex); sex == male->text())
        male->setChecked(true);
    else if (sex == female->text())
        female->setChecked(true);
    else if (sex == otherSex->text())
        otherSex->setChecked(true);
    changeButton->setEnabled(sexes_->checkedButton() != nullptr);
    nameField->setFocus();
}

void ProfileDialog::yearChanged()
{
    yearText->setText(qs(mirrorText(yearBar->value())));
    yearBar->setValue(keptYear(yearBar->value()));
    dayBar->setValue(dayForMonth(yearBar->value(), monthBar->value(), dayBar->value()));
}

void ProfileDialog::monthChanged()
{
    monthText->setText(qs(mirrorText(monthBar->value())));
    monthBar->setValue(keptMonth(monthBar->value()));
    dayBar->setValue(dayForMonth(yearBar->value(), monthBar->value(), dayBar->value()));
}

void ProfileDialog::dayChanged()
{
    dayText->setText(qs(mirrorText(dayBar->value())));
    dayBar->setValue(keptDay(yearBar->value(), monthBar->value(), dayBar->value()));
}

QString ProfileDialog::chosenSex() const
{
    const QAbstractButton* chosen = sexes_->checkedButton();
    return chosen ? chosen->text() : QString();
}

RegistrationForm ProfileDialog::currentForm() const
{
    return {(nameField->text() + addressField->currentText()).toStdString(), yearText->text().toStdString(),
            monthText->text().toStdString(), dayText->text().toStdString(), chosenSex().toStdString()};
}

bool ProfileDialog::change()
{
    const int thisYear = int(services_.clock->now().date.year());
    if (const std::string refusal = birthYearRefusal(yearBar->value(), thisYear); !refusal.empty()) {
        services_.showMessage(qs(texts::kProfileCaption), qs(refusal));
        return false;
    }
    const RegistrationForm form = currentForm();
    if (!services_.confirm(qs(texts::kChangeTitle), qs(changePrompt(form))))
        return false;
    SettingsFile file(ini_);
    const WriteResult result = storeProfile(file, changedProfileValues(form));
    if (!result.ok) {
        services_.showMessage(qs(texts::kProfileCaption),
                              failureText(result) + QLatin1Char('\n') + qs(texts::kProfileNotChanged));
        return false;
    }
    services_.showMessage(qs(texts::kProfileCaption), qs(texts::kProfileChanged));
    accept();
    return true;
}

}  // namespace dovi
