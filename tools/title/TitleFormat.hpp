// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace fixtora::title {

/// What the app publishes.
struct Published {
    QString title;
    QString favouriteState;  // "live", "upcoming" or "none"
    QStringList liveScores;
};

enum class Format { plain, waybar };

/// One output line (without the newline) for `published`, or for no app
/// running (nullopt): an empty line in every format.
///   plain:  the title
///   waybar: {"text": title, "tooltip": the live scores one a line,
///            "class": "live" / "upcoming" / "idle"}
QString formatLine(const std::optional<Published>& published, Format format);

}  // namespace fixtora::title
