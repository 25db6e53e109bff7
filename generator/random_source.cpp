#include "generator/random_source.h"

#include <time.h>

namespace spanwright {

std::int32_t RandomSource::drawBelow(std::int32_t n) {
    // 12345 - 1043968403 * state equals 12345 + 1103515245 * state modulo 2^31, since
    // the two multipliers add up to 2^31; clearing bit 31 reduces modulo 2^31.
    const auto step = [](std::uint32_t from) {
        return (12345u - from * 1043968403u) & 0x7FFFFFFFu;
    };
    std::uint32_t from = state.load(std::memory_order_relaxed);
    std::uint32_t v = step(from);
    while (!state.compare_exchange_weak(from, v, std::memory_order_relaxed))
        v = step(from);
    // r lies strictly between 0 and 1, so the product truncates to 0 .. n - 1.
    const double r = (static_cast<double>(v) + 1.0) / 2147483649.0;
    return static_cast<std::int32_t>(r * static_cast<double>(n));
}

std::uint32_t millisecondsSinceBoot() {
    timespec now{};
#ifdef CLOCK_BOOTTIME
    // Unlike CLOCK_MONOTONIC this keeps counting while the machine sleeps.
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) clock_gettime(CLOCK_MONOTONIC, &now);
#else
    clock_gettime(CLOCK_MONOTONIC, &now);
#endif
    const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                             static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

std::int32_t batchSeed(std::uint32_t milliseconds, std::uint32_t process) {
    // An odd multiplier is invertible modulo 2^31, so distinct processes stay distinct in
    // the 31 bits the source uses, while nearby ids land far apart.
    return static_cast<std::int32_t>((milliseconds ^ (process * 0x9E3779B1u)) & 0x7FFFFFFFu);
}

}  // namespace spanwright
