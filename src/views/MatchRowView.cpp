// SPDX-License-Identifier: MIT
#include "views/MatchRowView.hpp"

#include "state/MatchDisplay.hpp"
#include "state/MatchStatus.hpp"
#include "views/PlainButton.hpp"
#include "views/SlideFadeReveal.hpp"
#include "views/SymbolView.hpp"
#include "views/TeamBadge.hpp"
#include "views/TextLabel.hpp"
#include "views/Theme.hpp"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace fixtora {

namespace {

constexpr int kStatusWidth = 22;
constexpr int kStatusFontSize = 11;
constexpr int kSideSpacing = 5;
constexpr int kAbbreviationWidth = 36;
constexpr int kAbbreviationFontSize = 13;
constexpr int kMinimumGap = 4;
constexpr int kCentreMinimumWidth = 70;
constexpr int kScoreFontSize = 13;
constexpr int kClockFontSize = 9;
constexpr int kMarkerWidth = 16;
constexpr int kMarkerLeadingPadding = 4;
constexpr int kMarkerFontSize = 9;
constexpr int kScorerSpacing = 3;
constexpr int kScorerLeading = 22;
constexpr int kScorerTrailing = 14;
constexpr int kScorerBottom = 8;

QString scoreOf(const std::optional<ESPNCompetitor>& side) {
    return QString::fromStdString(sideScore(side));
}

QString spokenName(const std::optional<ESPNCompetitor>& side) {
    const auto name = sideName(side);
    return name ? QString::fromStdString(*name) : MatchRowView::tr("Unknown team");
}

std::optional<std::string> crestUrlOf(const std::optional<ESPNCompetitor>& side) {
    return side ? TeamBadge::crestUrl(side->team.logo) : std::nullopt;
}

}  // namespace

MatchRowView::MatchRowView(ESPNEvent event, std::optional<std::string> favouriteTeamId,
                           std::shared_ptr<ImageCache> images, DateContext dates, QWidget* parent)
    : QWidget(parent),
      m_event(std::move(event)),
      m_favouriteTeamId(std::move(favouriteTeamId)),
      m_dates(std::move(dates)) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_button = new PlainButton(this);
    m_button->setObjectName(QStringLiteral("row"));
    auto* line = new QHBoxLayout(m_button);
    line->setContentsMargins(kHorizontalPadding, kVerticalPadding, kHorizontalPadding,
                             kVerticalPadding);
    line->setSpacing(0);

    m_status = new TextLabel(Theme::systemFont(kStatusFontSize), Theme::Colour::Primary, m_button);
    m_status->setFixedWidth(kStatusWidth);
    m_status->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
    line->addWidget(m_status);

    const auto home = m_event.home();
    const auto away = m_event.away();

    auto* homeSide = new QHBoxLayout;
    homeSide->setSpacing(kSideSpacing);
    m_homeBadge = new TeamBadge(crestUrlOf(home), images, m_button);
    m_homeBadge->setObjectName(QStringLiteral("homeBadge"));
    m_homeAbbr =
        new TextLabel(Theme::systemFont(kAbbreviationFontSize), Theme::Colour::Primary, m_button);
    m_homeAbbr->setObjectName(QStringLiteral("homeAbbreviation"));
    m_homeAbbr->setFixedWidth(kAbbreviationWidth);
    m_homeAbbr->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
    homeSide->addWidget(m_homeBadge);
    homeSide->addWidget(m_homeAbbr);
    line->addLayout(homeSide);

    line->addSpacerItem(
        new QSpacerItem(kMinimumGap, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_centre = new TextLabel(Theme::monospacedFont(kScoreFontSize, QFont::DemiBold),
                             Theme::Colour::Primary, m_button);
    m_centre->setObjectName(QStringLiteral("centre"));
    m_centre->setMinimumWidth(kCentreMinimumWidth);
    m_centre->setAlignment(Qt::AlignCenter);
    line->addWidget(m_centre);
    line->addSpacerItem(
        new QSpacerItem(kMinimumGap, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));

    auto* awaySide = new QHBoxLayout;
    awaySide->setSpacing(kSideSpacing);
    m_awayAbbr =
        new TextLabel(Theme::systemFont(kAbbreviationFontSize), Theme::Colour::Primary, m_button);
    m_awayAbbr->setObjectName(QStringLiteral("awayAbbreviation"));
    m_awayAbbr->setFixedWidth(kAbbreviationWidth);
    m_awayAbbr->setAlignment(Qt::AlignTrailing | Qt::AlignVCenter);
    m_awayBadge = new TeamBadge(crestUrlOf(away), images, m_button);
    m_awayBadge->setObjectName(QStringLiteral("awayBadge"));
    awaySide->addWidget(m_awayAbbr);
    awaySide->addWidget(m_awayBadge);
    line->addLayout(awaySide);

    // Chevron or an empty slot of the same width, so columns line up.
    m_marker = new SymbolView(Symbol::None, kMarkerFontSize,
                              QSize(kMarkerWidth + kMarkerLeadingPadding, kMarkerWidth),
                              Theme::Colour::Secondary, m_button);
    m_marker->setLeadingPadding(kMarkerLeadingPadding);
    m_marker->setWeight(1.25);
    line->addWidget(m_marker);
    column->addWidget(m_button);

    m_scorerList = new QWidget;
    m_scorerLayout = new QVBoxLayout(m_scorerList);
    m_scorerLayout->setContentsMargins(kScorerLeading, 0, kScorerTrailing, kScorerBottom);
    m_scorerLayout->setSpacing(kScorerSpacing);
    m_scorers = new SlideFadeReveal(m_scorerList, this);
    m_scorers->setObjectName(QStringLiteral("scorers"));
    column->addWidget(m_scorers);

    connect(m_button, &QAbstractButton::clicked, this, [this] { tap(); });
    refresh();
}

void MatchRowView::setEvent(ESPNEvent event) {
    m_event = std::move(event);
    m_homeBadge->setUrl(crestUrlOf(m_event.home()));
    m_awayBadge->setUrl(crestUrlOf(m_event.away()));
    refresh();
}

void MatchRowView::setFavouriteTeamId(std::optional<std::string> favouriteTeamId) {
    if (favouriteTeamId == m_favouriteTeamId) return;
    m_favouriteTeamId = std::move(favouriteTeamId);
    refresh();
}

void MatchRowView::tap() {
    if (!isExpandable()) return;
    setShowScorers(!m_showScorers, true);
}

void MatchRowView::setShowScorers(bool show, bool animated) {
    m_showScorers = show;
    refresh();
    m_scorers->setExpanded(show, animated);
}

bool MatchRowView::isFinished() const {
    return isFinishedEvent(m_event);
}

bool MatchRowView::isLive() const {
    return isLiveEvent(m_event);
}

QString MatchRowView::statusIcon() const {
    return QString::fromStdString(statusSymbol(m_event));
}

QString MatchRowView::centreText() const {
    return QString::fromStdString(fixtora::centreText(m_event, m_dates));
}

QString MatchRowView::liveCentreHtml() const {
    const QString family = Theme::monospacedFont(kScoreFontSize).family();
    const QString score =
        QStringLiteral(
            "<span style=\"font-family:'%1'; font-size:%2px; font-weight:600;\">%3</span>")
            .arg(family)
            .arg(kScoreFontSize);
    const QString middle =
        QStringLiteral(
            "<span style=\"font-family:'%1'; font-size:%2px; font-weight:500;\">%3</span>")
            .arg(family)
            .arg(kClockFontSize);
    const QString clockText = QString::fromStdString("  " + liveClockText(m_event) + "  ");
    return QStringLiteral("<span style=\"white-space:pre;\">") +
           score.arg(scoreOf(m_event.home()).toHtmlEscaped()) +
           middle.arg(clockText.toHtmlEscaped()) +
           score.arg(scoreOf(m_event.away()).toHtmlEscaped()) + QStringLiteral("</span>");
}

QFont::Weight MatchRowView::weightOf(const std::optional<ESPNCompetitor>& side) const {
    // Two absent values count as equal: an absent side without a favourite is bold.
    const std::optional<std::string> id = side ? std::optional(side->team.id) : std::nullopt;
    return id == m_favouriteTeamId ? QFont::Bold : QFont::Medium;
}

QFont::Weight MatchRowView::homeWeight() const {
    return weightOf(m_event.home());
}

QFont::Weight MatchRowView::awayWeight() const {
    return weightOf(m_event.away());
}

bool MatchRowView::isFavouriteMatch() const {
    if (!m_favouriteTeamId) return false;
    const auto home = m_event.home();
    const auto away = m_event.away();
    return (home && home->team.id == *m_favouriteTeamId) ||
           (away && away->team.id == *m_favouriteTeamId);
}

Symbol MatchRowView::marker() const {
    if (!isExpandable()) return Symbol::None;
    return m_showScorers ? Symbol::ChevronUp : Symbol::ChevronDown;
}

QString MatchRowView::goalLine(const ESPNDetail& detail) const {
    return QString::fromStdString(fixtora::goalLine(m_event, detail));
}

QStringList MatchRowView::scorerLines() const {
    QStringList lines;
    for (const auto& line : fixtora::scorerLines(m_event))
        lines.push_back(QString::fromStdString(line));
    return lines;
}

QString MatchRowView::accessibleSummary() const {
    const auto home = m_event.home();
    const auto away = m_event.away();
    if (isExpandable()) {
        QString text = tr("%1 %2, %3 %4, ")
                           .arg(spokenName(home), scoreOf(home), spokenName(away), scoreOf(away));
        if (isFinished()) return text + tr("full time");
        const auto* status = eventStatus(m_event);
        const auto clock = status ? status->clockLabel() : std::nullopt;
        return text + tr("live") +
               (clock ? QStringLiteral(", ") + QString::fromStdString(*clock) : QString());
    }
    const QString versus =
        spokenName(home) + tr(" against ") + spokenName(away) + QStringLiteral(", ");
    const QString centre = centreText();
    if (centre == u"TBD") return versus + tr("kick-off to be decided");
    if (m_event.localDate() && centre.contains(u':')) return versus + tr("kick-off ") + centre;
    return versus + centre.toLower();
}

QString MatchRowView::accessibleDetails() const {
    QString text = isFavouriteMatch() ? tr("Your favourite's match. ") : QString();
    if (!isExpandable()) return text.trimmed();
    if (!m_showScorers) return text + tr("Space or Enter shows the goal scorers");
    QStringList lines;
    for (const auto& line : scorerLines()) lines << line.simplified();
    return text + tr("Goal scorers: ") + lines.join(QStringLiteral("; "));
}

void MatchRowView::refresh() {
    const auto home = m_event.home();
    const auto away = m_event.away();
    m_status->setDisplayText(statusIcon());

    QFont homeFont = m_homeAbbr->font();
    homeFont.setWeight(homeWeight());
    m_homeAbbr->setFont(homeFont);
    m_homeAbbr->setDisplayText(QString::fromStdString(sideAbbreviation(home)));
    QFont awayFont = m_awayAbbr->font();
    awayFont.setWeight(awayWeight());
    m_awayAbbr->setFont(awayFont);
    m_awayAbbr->setDisplayText(QString::fromStdString(sideAbbreviation(away)));

    if (isLive()) {
        m_centre->setColourRole(Theme::Colour::Red);
        m_centre->setRichText(liveCentreHtml());
    } else {
        m_centre->setColourRole(Theme::Colour::Primary);
        m_centre->setDisplayText(centreText());
    }

    // A row that stops being expandable keeps its state but loses its chevron.
    m_marker->setSymbol(marker());
    refreshScorers();
    m_button->setAccessibleName(accessibleSummary());
    m_button->setAccessibleDescription(accessibleDetails());
    update();
}

void MatchRowView::refreshScorers() {
    const QStringList lines = scorerLines();
    if (lines == m_shownScorerLines) return;
    m_shownScorerLines = lines;
    const auto labels =
        m_scorerList->findChildren<TextLabel*>(QString(), Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        TextLabel* label = nullptr;
        if (i < labels.size()) {
            label = labels[i];
        } else {
            label = new TextLabel(Theme::caption(), Theme::Colour::Secondary, m_scorerList);
            label->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);
            m_scorerLayout->addWidget(label);
        }
        label->setDisplayText(lines[i]);
        label->setVisible(true);
    }
    for (qsizetype i = lines.size(); i < labels.size(); ++i) labels[i]->setVisible(false);
}

void MatchRowView::paintEvent(QPaintEvent*) {
    if (!isFavouriteMatch()) return;
    QPainter painter(this);
    QColor tint = Theme::colour(Theme::Colour::Yellow, palette());
    tint.setAlphaF(static_cast<float>(kFavouriteTintOpacity));
    painter.fillRect(rect(), tint);
}

}  // namespace fixtora
