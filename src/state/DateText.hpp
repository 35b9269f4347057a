// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.hpp"

#include <string>
#include <string_view>

namespace fixtora {

/// The locale and time zone in which dates are shown to the user. Empty
/// fields mean ICU's defaults at the moment of formatting (the user's locale
/// and time zone), so a change of either is picked up by the next text.
struct DateContext {
    std::string locale;    // ICU locale id, e.g. "en_GB" or "de_DE"
    std::string timeZone;  // zone id, e.g. "Europe/London" or "America/New_York"
};

/// Formats `instant` with an ICU date pattern such as "EEE d MMM" in the
/// context's locale and zone. Gives "" for an instant that cannot be
/// formatted (not finite) or a pattern ICU refuses.
std::string formatDate(Instant instant, std::string_view pattern, const DateContext& context = {});

/// Reads the locale from LC_ALL, else LC_MESSAGES, else LANG ("de_DE.UTF-8"
/// gives "de_DE"); "C", "POSIX" or nothing give "". For command-line tools.
std::string localeFromEnvironment();

/// Makes `localeFromEnvironment()` ICU's default locale (when it names one).
/// ICU takes the default time zone from TZ by itself. For command-line tools.
void useEnvironmentLocale();

}  // namespace fixtora
