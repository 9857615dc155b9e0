// dovi for the start-up benchmark: the program's own start (a copy of gui/main.cpp), plus a report
// of the main window's first paint on standard output ("first-paint NANOSECONDS").
#include <QApplication>

#include <cstdlib>

#include "bench/firstpaint.h"
#include "gui/form1.h"

int main(int argc, char* argv[])
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") != nullptr)
        setenv("QT_QPA_PLATFORM", "xcb", 1);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dovi"));
    QApplication::setDesktopFileName(QStringLiteral("jp.dovi.Dovi"));
    dovi::installFontSubstitutes();

    dovi::FirstPaintReport firstPaint;
    dovi::Form1 form(dovi::defaultServices());
    form.installEventFilter(&firstPaint);
    if (!form.Form_Load())
        return 0;
    form.show();
    return app.exec();
}
