// When a page shown on the screen has to be turned for a new day.
#pragma once

#include "calendar/clock.h"

namespace dovi {

// True when a page drawn for pageDate no longer shows today: the local date is another day, a
// later one (midnight passed, or the machine slept for days) or an earlier one (the clock was set
// back). False within the same day, and for a page that was drawn for no day yet (invalid date).
constexpr bool pageIsStale(Date pageDate, Date today)
{
    return pageDate.ok() && today.ok() && pageDate != today;
}

}  // namespace dovi
