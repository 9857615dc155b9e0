// The yardstick of the start-up benchmark: the least a Qt Widgets program does to show a window of
// the main window's size (267x354) with one label. It chooses its platform as dovi does and reports
// its first paint as dovi_bench does: "first-paint NANOSECONDS" of the monotonic clock on standard
// output.
//   minimal_window [LABEL_TEXT [FONT_FAMILY]]     (default: "デイリオ" in the default font)
#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QWidget>

#include <cstdlib>

#include "bench/firstpaint.h"

int main(int argc, char* argv[])
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") != nullptr)
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    dovi::FirstPaintReport firstPaint;
    QWidget window;
    window.setFixedSize(267, 354);
    // Japanese text unless told otherwise, so that this program too loads a Japanese font.
    QLabel label(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString::fromUtf8("デイリオ"), &window);
    if (argc > 2)
        label.setFont(QFont(QString::fromLocal8Bit(argv[2])));
    label.move(20, 20);
    window.installEventFilter(&firstPaint);
    window.show();
    return app.exec();
}
