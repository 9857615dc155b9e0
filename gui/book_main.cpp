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

    if (!dovi::chooseWindowPlatform(args, std::cerr, dovi::kBookProgram))
        return 1;
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    dovi::setUpApplication(QStringLiteral("dovi-book"));

    dovi::BookWindow window(dovi::defaultServices());
    window.show();
    return app.exec();
}
