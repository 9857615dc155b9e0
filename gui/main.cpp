// デイリオ: a day calendar that shows today's page, stays on top for a few seconds and then gets
// out of the way. Reads and writes dovi.ini in the current directory.
#include <QApplication>

#include <iostream>
#include <string_view>
#include <vector>

#include "gui/commandline.h"
#include "gui/form1.h"
#include "gui/widgetkit.h"

int main(int argc, char* argv[])
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (const auto status = dovi::answerBeforeWindow(args, dovi::currentDisplayEnvironment(), std::cout, std::cerr))
        return *status;

    if (!dovi::chooseWindowPlatform(args, std::cerr))
        return 1;
    QApplication app(argc, argv);
    dovi::setUpApplication(QStringLiteral("dovi"));

    dovi::Form1 form(dovi::defaultServices());
    if (!form.Form_Load())
        return 1;
    form.show();
    return app.exec();
}
