// デイリオ 誕生日帳: edits the birthday book, the special days and the sayings of dovi.ini in the
// current directory, the file the calendar reads.
#include <QApplication>
#include <QLocale>

#include <iostream>
#include <string_view>
#include <vector>

#include "gui/bookwindow.h"
#include "gui/commandline.h"
#include "gui/widgetkit.h"

int main(int argc, char* argv[])
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (const auto status = dovi::answerBeforeWindow(args, dovi::currentDisplayEnvironment(), std::cout, std::cerr,
                                                     dovi::kBookProgram))
        return *status;

    dovi::preferX11();
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    // The book is an action of the calendar's desktop entry: the same application name gives its
    // window the entry's WM_CLASS (StartupWMClass), so taskbars show it under the calendar's entry.
    dovi::setUpApplication(QStringLiteral("dovi"));

    dovi::BookWindow window(dovi::defaultServices());
    window.show();
    return app.exec();
}
