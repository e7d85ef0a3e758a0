#pragma once
// The one conversion from real values to integers: round to the nearest
// integer, halves to the even neighbour, with the target's range checked.

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace base {

inline double RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff > 0.5) {
        return floor + 1.0;
    }
    if (diff < 0.5) {
        return floor;
    }
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

// Empty when the rounded value does not fit T (or value is not a number).
template <typename T>
std::optional<T> RoundTo(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double rounded = RoundHalfEven(value);
    if (rounded < static_cast<double>(std::numeric_limits<T>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<T>::max())) {
        return std::nullopt;
    }
    return static_cast<T>(rounded);
}

inline std::optional<std::int16_t> ToInt16(double value) {
    return RoundTo<std::int16_t>(value);
}
inline std::optional<std::int32_t> ToInt32(double value) {
    return RoundTo<std::int32_t>(value);
}

// For drawing calls, where an out-of-range value simply draws nothing.
inline std::int32_t ToInt32OrZero(double value) {
    return ToInt32(value).value_or(0);
}

}  // namespace base
