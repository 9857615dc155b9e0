#include "gui/services.h"

#include <QMessageBox>
#include <QPushButton>

#include <cstdlib>
#include <iostream>

namespace dovi {

QString boxText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

Services defaultServices()
{
    static SystemClock clock;
    static StandardRandom random;
    Services s;
    s.clock = &clock;
    s.random = &random;
    s.currentDirectory = [] {
        std::error_code ec;
        auto dir = std::filesystem::current_path(ec);
        return ec ? std::filesystem::path() : dir;
    };
    s.endProgram = [](int status) { std::exit(status); };
    s.printError = [](const std::string& text) { std::cerr << text << std::flush; };
    s.showMessage = [](const QString& title, const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, title, boxText(text), QMessageBox::Ok);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    };
    s.confirm = [](const QString& title, const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, title, boxText(text), QMessageBox::Ok | QMessageBox::Cancel);
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::Ok);
        return box.exec() == QMessageBox::Ok;
    };
    s.choose = [](const QString& title, const QString& text, const QStringList& buttons, int defaultButton,
                  int escapeButton) {
        QMessageBox box(QMessageBox::NoIcon, title, boxText(text), QMessageBox::NoButton);
        box.setTextFormat(Qt::PlainText);
        QList<QPushButton*> added;
        for (const QString& label : buttons)
            added << box.addButton(label, QMessageBox::ActionRole);
        if (defaultButton >= 0 && defaultButton < added.size())
            box.setDefaultButton(added[defaultButton]);
        if (escapeButton >= 0 && escapeButton < added.size())
            box.setEscapeButton(added[escapeButton]);
        box.exec();
        const qsizetype chosen = added.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
        return chosen < 0 ? escapeButton : static_cast<int>(chosen);
    };
    return s;
}

}  // namespace dovi
