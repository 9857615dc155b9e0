// デイリオ 誕生日帳: edits the birthday book, the special days and the sayings of dovi.ini in the
// current directory, the file the calendar reads.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdlib>

#include "gui/bookwindow.h"
#include "gui/widgetkit.h"

namespace {

// Qt's own Japanese texts, for the standard parts of the windows (the message boxes' buttons, the
// line edits' context menus). Without the translation installed they stay as Qt has them.
void installJapaneseQtTexts(QApplication& app, QTranslator& translator)
{
    if (translator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&translator);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") != nullptr)
        setenv("QT_QPA_PLATFORM", "xcb", 1);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dovi-book"));
    QApplication::setDesktopFileName(QStringLiteral("jp.dovi.Dovi"));
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QTranslator translator;
    installJapaneseQtTexts(app, translator);
    dovi::installFontSubstitutes();

    dovi::BookWindow window(dovi::defaultServices());
    window.show();
    return app.exec();
}
