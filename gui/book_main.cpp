// デイリオ 誕生日帳: edits the birthday book, the special days and the sayings of dovi.ini in the
// current directory, the file the calendar reads.
#include <QApplication>
#include <QLocale>

#include <algorithm>
#include <iostream>
#include <string_view>
#include <vector>

#include "gui/bookwindow.h"
#include "gui/commandline.h"
#include "gui/profiledialog.h"
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
    // The book is an action of the calendar's desktop entry: the same application name gives its
    // window the entry's WM_CLASS (StartupWMClass), so taskbars show it under the calendar's entry.
    dovi::setUpApplication(QStringLiteral("dovi"));

    // --profile: the profile window alone (the calendar's desktop action).
    if (std::find(args.begin(), args.end(), "--profile") != args.end()) {
        const dovi::Services services = dovi::defaultServices();
        dovi::ProfileDialog profile(dovi::SettingsFile::pathIn(services.currentDirectory()), services);
        profile.exec();
        return 0;
    }

    dovi::BookWindow window(dovi::defaultServices());
    window.show();
    return app.exec();
}
