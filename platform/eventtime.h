#pragma once
// When a key press reached the window system, on the program's clock: a tap
// is timed where the player made it, not where the main thread got round to
// it (a repaint or a pass of the test clock can hold a key back by a tick).
#include <cstdint>
#include <optional>

namespace platform {

// The window system stamps input events with the monotonic clock in whole
// milliseconds, wrapped at 32 bits (the X server's time). A stamp further
// back than this is taken as not on that clock; so is one from the future.
constexpr int64_t maxInputEventAgeMs = 1000;
constexpr int64_t inputStampWrapMs = int64_t(1) << 32;

// How long before `monotonicNowNs` an event stamped `stampMs` arrived (taken
// at the middle of its millisecond, never in the future); nullopt when the
// stamp is not plausibly on the monotonic clock (a synthesized event, a
// display server with a clock of its own).
std::optional<int64_t> inputEventAgeNs(uint64_t stampMs, int64_t monotonicNowNs);

// Where on the clock Ticks() reads an event stamped `stampMs` arrived, or
// nullopt where the stamp cannot be trusted and the event is timed when it
// is handled.
std::optional<int64_t> inputEventArrivalNs(uint64_t stampMs);

} // namespace platform
