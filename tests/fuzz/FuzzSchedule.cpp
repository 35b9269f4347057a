// SPDX-License-Identifier: MIT
// The schedule cache file "schedule_v2.json": what reads must write back and
// read again as the same table.

#include "FuzzCheck.hpp"

#include "data/MatchWeek.hpp"

using namespace fixtora;
using fixtora::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto weeks = decodeMatchWeeks(fuzz::asText(data, size));
    if (!weeks) return 0;
    for (const auto& week : *weeks)
        check(std::isfinite(week.startDate) && std::isfinite(week.endDate),
              "stored dates are finite");
    const auto again = decodeMatchWeeks(encodeMatchWeeks(*weeks));
    check(again.has_value() && again->size() == weeks->size(), "a read table writes back readably");
    for (std::size_t i = 0; i < weeks->size(); ++i) {
        const auto& a = (*weeks)[i];
        const auto& b = (*again)[i];
        check(a.number == b.number, "a written matchweek keeps its number");
        check(
            fuzz::sameInstant(a.startDate, b.startDate) && fuzz::sameInstant(a.endDate, b.endDate),
            "a written matchweek keeps its dates");
    }
    return 0;
}
