#include "calendar/clock.h"

#include <ctime>

namespace dovi {

LocalDateTime SystemClock::now()
{
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    using namespace std::chrono;
    return LocalDateTime{year{local.tm_year + 1900} / month{unsigned(local.tm_mon + 1)} / day{unsigned(local.tm_mday)},
                         local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec};
}

}  // namespace dovi
