// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.hpp"

#include <unicode/uversion.h>

#include <memory>
#include <optional>
#include <string_view>

U_NAMESPACE_BEGIN
class SimpleDateFormat;
U_NAMESPACE_END

namespace fixtora {

/// Turns a day key "yyyy-MM-dd" into 00:00:00 UTC of that day. The pattern is
/// read with the Gregorian calendar and ASCII digits whatever the user's
/// locale, strictly (no out-of-range fields, nothing after the day). Not
/// safe to share between threads: give each computation its own.
class DayParser final {
  public:
    DayParser();
    ~DayParser();
    DayParser(const DayParser&) = delete;
    DayParser& operator=(const DayParser&) = delete;

    std::optional<Instant> parse(std::string_view dayKey) const;

  private:
    std::unique_ptr<icu::SimpleDateFormat> m_format;
};

}  // namespace fixtora
