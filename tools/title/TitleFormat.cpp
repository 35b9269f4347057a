// SPDX-License-Identifier: MIT
#include "TitleFormat.hpp"

#include <QJsonDocument>
#include <QJsonObject>

namespace fixtora::title {

QString formatLine(const std::optional<Published>& published, Format format) {
    if (!published) return {};
    if (format == Format::plain) return published->title;
    const QString& state = published->favouriteState;
    QJsonObject object;
    object.insert(QStringLiteral("text"), published->title);
    object.insert(QStringLiteral("tooltip"), published->liveScores.join(u'\n'));
    object.insert(QStringLiteral("class"),
                  state == u"live" || state == u"upcoming" ? state : QStringLiteral("idle"));
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

}  // namespace fixtora::title
