#pragma once

namespace kestrix::platform {

struct LocalDate {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
};

// The host's local date.
class Clock {
  public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual LocalDate GetLocalDate() = 0;
};

}  // namespace kestrix::platform
