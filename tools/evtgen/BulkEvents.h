#pragma once
// Pseudo-random, realistic events for large fixtures, the benchmark log and
// the demo network: service state changes, logons and failed logons,
// application errors, network warnings, with SIDs, data and now and then
// non-ASCII text.  The same seed gives the same events on every machine.

#include "platform/EvtRecord.h"

#include <cstdint>
#include <string>

namespace evtgen {

class BulkEvents {
public:
    // Events start at startTime (seconds since 1970) and are 1 to maxStep
    // seconds apart; computer empty = a few made-up names.
    BulkEvents(std::uint64_t seed, std::uint32_t startTime, std::uint32_t maxStep, std::string computer);

    // The next event (record number 0: the log gives it).
    platform::evt::EvtRecord next();

private:
    std::uint64_t random();
    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); }
    const char* pick(const char* const* items, std::size_t count) { return items[below(static_cast<std::uint32_t>(count))]; }

    std::uint64_t state_;
    std::uint32_t time_;
    std::uint32_t maxStep_;
    std::string computer_;
};

} // namespace evtgen
