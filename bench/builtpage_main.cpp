// dovi as the start-up benchmark runs it: the program's own start (as in gui/main.cpp), and with
// DOVI_REPORT_FIRST_PAINT=1 a report of the first paint that shows the built page, as
// "first-paint NANOSECONDS" of the monotonic clock on standard output. That is the first paint
// event of the window or of one of its labels after the page build has run; the build switches
// its timer, Timer2, off at its end, so a paint while Timer2 is off shows the built page.
#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string_view>
#include <vector>

#include "gui/commandline.h"
#include "gui/form1.h"
#include "gui/services.h"
#include "gui/widgetkit.h"

namespace {

class BuiltPagePaintReport final : public QObject {
public:
    explicit BuiltPagePaintReport(dovi::Form1& form) : form_(form)
    {
        form.installEventFilter(this);
        for (QWidget* child : form.findChildren<QWidget*>())
            child->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (!reported_ && event->type() == QEvent::Paint && !form_.Timer2->isActive()) {
            reported_ = true;
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("first-paint %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
        }
        return false;
    }

private:
    dovi::Form1& form_;
    bool reported_ = false;
};

}  // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (!dovi::chooseWindowPlatform(args, std::cerr))
        return 1;
    QApplication app(argc, argv);
    dovi::setUpApplication(QStringLiteral("dovi"));

    dovi::Form1 form(dovi::defaultServices());
    std::unique_ptr<BuiltPagePaintReport> report;
    if (qgetenv("DOVI_REPORT_FIRST_PAINT") == "1")
        report = std::make_unique<BuiltPagePaintReport>(form);
    if (!form.Form_Load())
        return 0;
    form.show();
    return app.exec();
}
