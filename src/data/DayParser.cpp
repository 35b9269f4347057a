// SPDX-License-Identifier: MIT
#include "data/DayParser.hpp"

#include <unicode/gregocal.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <string>

namespace fixtora {

DayParser::DayParser() {
    UErrorCode status = U_ZERO_ERROR;
    // en_US_POSIX: Gregorian calendar and ASCII digits, whatever the user's locale.
    const icu::Locale posix("en_US_POSIX");
    m_format =
        std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString(u"yyyy-MM-dd"), posix, status);
    if (U_FAILURE(status)) {
        m_format.reset();
        return;
    }
    std::unique_ptr<icu::TimeZone> utc(icu::TimeZone::getGMT()->clone());
    auto calendar = std::make_unique<icu::GregorianCalendar>(*utc, posix, status);
    if (U_FAILURE(status)) {
        m_format.reset();
        return;
    }
    m_format->setCalendar(*calendar);
    m_format->setTimeZone(*utc);
    m_format->setLenient(false);
}

DayParser::~DayParser() = default;

std::optional<Instant> DayParser::parse(std::string_view dayKey) const {
    if (!m_format || dayKey.empty()) return std::nullopt;
    const auto text = icu::UnicodeString::fromUTF8(
        icu::StringPiece(dayKey.data(), static_cast<int32_t>(dayKey.size())));
    icu::ParsePosition pos(0);
    const UDate ms = m_format->parse(text, pos);
    // The whole key must be the day: a partial read ("2025-08-16x") is no day.
    if (pos.getErrorIndex() >= 0 || pos.getIndex() != text.length()) return std::nullopt;
    return ms / 1000.0;
}

}  // namespace fixtora
