// The registration dialog: asks a first-time user for name, form of address, birthday and sex,
// stores them with the registration date and starts the page build; quitting ends the program.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QString>

#include "gui/services.h"
#include "register/registration.h"

namespace dovi {

class Form1;

class Form3 final : public QDialog {
    Q_OBJECT
public:
    // Built hidden, as a dialog of the main window: transient for it, minimised and restored with it.
    Form3(Form1& form1, Services services);
    ~Form3() override;

    // Event handlers.
    void Form_Load();
    void HScroll1_Change();
    void hScroll2_Change();
    void hScroll3_Change();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Command1_Click();
    void Command2_Click();
    // The dialog is being closed (close box, system menu): ends the program. cancel is the close
    // event's flag, non-zero to keep the dialog open; the handler leaves it as it is.
    void Form_Unload(qint16& cancel);

    // What the dialog holds now, as it would be registered.
    RegistrationForm currentForm() const;

    QLabel* Label9 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* Text1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label4 = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QScrollBar* HScroll2 = nullptr;
    QScrollBar* HScroll3 = nullptr;
    QLabel* Label8 = nullptr;
    QRadioButton* Option1 = nullptr;
    QLabel* Label1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QLabel* Label13 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

    // "男性", "女性" or "その他" once an option button is chosen; empty before.
    QString chosenSex;

public slots:
    // Esc: the quit button's key.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setUpWindow();
    void createNameRow();
    void createBirthdayRow();
    void createSexRow();
    void createButtons();
    void setUpFocusOrder();
    void connectHandlers();
    void placeBesideMainWindow();
    void chooseSex(std::string_view sex);

    Form1& form1_;
    Services services_;
};

}  // namespace dovi
