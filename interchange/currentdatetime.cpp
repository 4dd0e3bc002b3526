#include "interchange/currentdatetime.h"

#include <chrono>
#include <ctime>

#include "engine/regional.h"

namespace kelmor {

double CurrentDateTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    double dateTime = 0;
    TryEncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                      local.tm_sec > 59 ? 59 : local.tm_sec, static_cast<int>(millis), dateTime);
    return dateTime;
}

}  // namespace kelmor
