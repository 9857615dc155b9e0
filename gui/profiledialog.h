// The profile window: changes the name with its form of address, the birthday and the sex that
// the registration stored, with the registration dialog's rules and texts, as one edit of the
// settings file; the registration date stays.
#pragma once

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <filesystem>

#include "gui/services.h"
#include "register/registration.h"

namespace dovi {

class ProfileDialog final : public QDialog {
    Q_OBJECT
public:
    // Filled from the profile stored in the settings file at ini.
    ProfileDialog(std::filesystem::path ini, Services services, QWidget* parent = nullptr);

    // What the window holds now, as it would be stored.
    RegistrationForm currentForm() const;

    // 変更: refuses a year of birth after this year, asks, then writes the three values in one
    // edit. True when the profile was written (the window then closes with accept()).
    bool change();

    QLineEdit* nameField = nullptr;
    QComboBox* addressField = nullptr;
    QScrollBar* yearBar = nullptr;
    QScrollBar* monthBar = nullptr;
    QScrollBar* dayBar = nullptr;
    QLabel* yearText = nullptr;
    QLabel* monthText = nullptr;
    QLabel* dayText = nullptr;
    QRadioButton* male = nullptr;
    QRadioButton* female = nullptr;
    QRadioButton* otherSex = nullptr;
    QPushButton* changeButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    void build();
    void fill(const StoredProfile& profile);
    void yearChanged();
    void monthChanged();
    void dayChanged();
    QString chosenSex() const;

    std::filesystem::path ini_;
    Services services_;
    QButtonGroup* sexes_ = nullptr;
};

}  // namespace dovi
