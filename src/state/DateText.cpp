// SPDX-License-Identifier: MIT
#include "state/DateText.hpp"

#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace fixtora {

std::string formatDate(Instant instant, std::string_view pattern, const DateContext& context) {
    if (!std::isfinite(instant)) return {};
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale = context.locale.empty()
                                   ? icu::Locale::getDefault()
                                   : icu::Locale::createCanonical(context.locale.c_str());
    icu::SimpleDateFormat formatter(icu::UnicodeString::fromUTF8(icu::StringPiece(
                                        pattern.data(), static_cast<int32_t>(pattern.size()))),
                                    locale, status);
    if (U_FAILURE(status)) return {};
    if (!context.timeZone.empty()) {
        formatter.adoptTimeZone(
            icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(context.timeZone)));
    }
    icu::UnicodeString text;
    formatter.format(static_cast<UDate>(instant * 1000.0), text);
    std::string out;
    text.toUTF8String(out);
    return out;
}

std::string localeFromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        std::string id(value);
        id = id.substr(0, id.find_first_of(".@"));
        if (id == "C" || id == "POSIX") return {};
        return id;
    }
    return {};
}

void useEnvironmentLocale() {
    const auto id = localeFromEnvironment();
    if (id.empty()) return;
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale::createCanonical(id.c_str()), status);
}

}  // namespace fixtora
