// Prints "first-paint NANOSECONDS" (the monotonic clock) on standard output at a window's first
// paint, for the start-up benchmark's programs; the program then goes on as usual.
#pragma once

#include <QEvent>
#include <QObject>

#include <cstdio>
#include <ctime>

namespace dovi {

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

}  // namespace dovi
