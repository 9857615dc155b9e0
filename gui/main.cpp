// デイリオ: a day calendar that shows today's page, stays on top for a few seconds and then gets
// out of the way. Reads and writes dovi.ini in the current directory.
#include <QApplication>

#include <cstdlib>

#include "gui/form1.h"

int main(int argc, char* argv[])
{
    // Under Wayland a window can neither stay on top nor be placed; when an X server is at hand
    // (XWayland included), use it.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") != nullptr)
        setenv("QT_QPA_PLATFORM", "xcb", 1);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dovi"));
    QApplication::setDesktopFileName(QStringLiteral("jp.dovi.Dovi"));
    dovi::installFontSubstitutes();
    dovi::installJapaneseQtTexts();

    dovi::Form1 form(dovi::defaultServices());
    if (!form.Form_Load())
        return 0;
    form.show();
    return app.exec();
}
