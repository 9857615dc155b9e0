// デイリオ: a day calendar that shows today's page, stays on top for a few seconds and then gets
// out of the way. Reads and writes dovi.ini in the current directory.
#include <QApplication>
#include <QEvent>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/form1.h"

namespace {

// Prints "first-paint NANOSECONDS" (the monotonic clock) on standard output at the main window's
// first paint, for the start-up benchmark; the program then goes on as usual.
class FirstPaintReport final : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("first-paint %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
            watched->removeEventFilter(this);
        }
        return false;
    }
};

}  // namespace

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

    FirstPaintReport firstPaint;
    dovi::Form1 form(dovi::defaultServices());
    if (qgetenv("DOVI_REPORT_FIRST_PAINT") == "1")
        form.installEventFilter(&firstPaint);
    if (!form.Form_Load())
        return 0;
    form.show();
    return app.exec();
}
