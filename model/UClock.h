// "Now" and "today" for the whole program, replaceable so that tests fix the date.
#pragma once

#include <functional>

#include "model/UTypes.h"

namespace tervanix {

// Current local date-time.
TDateTime Now();
// Current date at 00:00.
TDateTime Today();
// Milliseconds elapsed since an arbitrary start, for delays (splash window).
long long TickCount();

// Replaces the clock; an empty function restores the system clock.
void SetClock(std::function<TDateTime()> clock);

} // namespace tervanix
