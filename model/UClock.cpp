#include "model/UClock.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

#include "model/UDateTime.h"

namespace tervanix {
namespace {

std::function<TDateTime()>& ClockOverride() {
    static std::function<TDateTime()> clock;
    return clock;
}

TDateTime SystemNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t secs = system_clock::to_time_t(now);
    std::tm local{};
    if (::localtime_r(&secs, &local) == nullptr) return 0;
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    // A leap second (tm_sec 60) is shown as the last second of its minute.
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), static_cast<int>(ms));
}

} // namespace

TDateTime Now() {
    const auto& clock = ClockOverride();
    return clock ? clock() : SystemNow();
}

TDateTime Today() { return std::floor(Now()); }

long long TickCount() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SetClock(std::function<TDateTime()> clock) { ClockOverride() = std::move(clock); }

} // namespace tervanix
