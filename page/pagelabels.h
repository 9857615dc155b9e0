// What each label and shape of the main window shows for a built page, right after the build and
// before the ticker's first tick. The window and `dovi-cli page` both show this.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "page/daypage.h"

namespace dovi {

struct PageLabels {
    std::string label4;  // the message line: the first message, the counter line, or the design text
    std::string label5;  // greeting
    std::string label6;  // saying
    std::string label7;  // its source
    std::string label8;  // holiday name; "" on a day without a holiday
    bool shape1 = false;  // the holiday mark
    std::array<std::string, kMsgListSize> msgList;  // what the ticker rotates through
    std::int16_t msgCount = 1;                      // 1 to 26
};

// The labels of page. A day without messages rotates one entry: the counter line, or, without one,
// the message line's design text, so the line keeps showing what it showed before the build.
PageLabels pageLabels(const DayPage& page);

}  // namespace dovi
