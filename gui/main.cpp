// デイリオ: a day calendar that shows today's page, stays on top for a few seconds and then gets
// out of the way. Reads and writes dovi.ini in the current directory.
#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "gui/commandline.h"
#include "gui/form1.h"

int main(int argc, char* argv[])
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (const auto status = dovi::answerBeforeWindow(args, dovi::currentDisplayEnvironment(), std::cout, std::cerr))
        return *status;

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
