// デイリオ 誕生日帳: edits the birthday book, the special days and the sayings of dovi.ini in the
// current directory, the file the calendar reads.
#include <QApplication>
#include <QLocale>

#include <cstdlib>

#include "gui/bookwindow.h"
#include "gui/widgetkit.h"

int main(int argc, char* argv[])
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") != nullptr)
        setenv("QT_QPA_PLATFORM", "xcb", 1);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dovi-book"));
    QApplication::setDesktopFileName(QStringLiteral("jp.dovi.Dovi"));
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    dovi::installJapaneseQtTexts();
    dovi::installFontSubstitutes();

    dovi::BookWindow window(dovi::defaultServices());
    window.show();
    return app.exec();
}
