// SPDX-License-Identifier: MIT
#include "views/TeamPicker.hpp"

#include "views/ActivitySpinner.hpp"
#include "views/Divider.hpp"
#include "views/PlainButton.hpp"
#include "views/PopupScrollArea.hpp"
#include "views/SymbolView.hpp"
#include "views/TeamBadge.hpp"
#include "views/TextLabel.hpp"
#include "views/Theme.hpp"

#include <QHBoxLayout>
#include <QScrollBar>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace fixtora {

namespace {

constexpr int kPickerHorizontalPadding = 14;
constexpr int kPickerVerticalPadding = 8;
constexpr int kLoadingSpacing = 8;
constexpr int kLoadingPadding = 36;
constexpr double kLoadingSpinnerScale = 0.7;
constexpr int kRowSpacing = 10;
constexpr int kRemoveRowSpacing = 8;
constexpr int kCrestFrame = 24;
constexpr int kRemoveIconFrame = 22;
constexpr int kNameFontSize = 13;
constexpr int kRemoveDividerInset = 14;
constexpr int kTeamDividerInset = 50;

bool sameTeams(const std::vector<ESPNTeam>& a, const std::vector<ESPNTeam>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const ESPNTeam& x, const ESPNTeam& y) {
                          return x.id == y.id && x.abbreviation == y.abbreviation &&
                                 x.shortDisplayName == y.shortDisplayName && x.logo == y.logo;
                      });
}

std::optional<std::string> idOf(const std::optional<ESPNTeam>& team) {
    return team ? std::optional(team->id) : std::nullopt;
}

}  // namespace

TeamPicker::TeamPicker(std::shared_ptr<ImageCache> images, QWidget* parent)
    : QWidget(parent), m_images(std::move(images)) {
    auto* stack = new QStackedLayout(this);

    // "Loading teams…" with a small spinner, centred in the area.
    m_loading = new QWidget(this);
    m_loading->setObjectName(QStringLiteral("loading"));
    auto* loadingColumn = new QVBoxLayout(m_loading);
    loadingColumn->addStretch(1);
    auto* loadingRow = new QHBoxLayout;
    loadingRow->setSpacing(kLoadingSpacing);
    loadingRow->setContentsMargins(0, kLoadingPadding, 0, kLoadingPadding);
    loadingRow->addStretch(1);
    loadingRow->addWidget(new ActivitySpinner(kLoadingSpinnerScale, m_loading));
    auto* loadingText = new TextLabel(Theme::callout(), Theme::Colour::Secondary, m_loading);
    loadingText->setDisplayText(tr("Loading teams\u2026"));
    loadingRow->addWidget(loadingText);
    loadingRow->addStretch(1);
    loadingColumn->addLayout(loadingRow);
    loadingColumn->addStretch(1);
    stack->addWidget(m_loading);

    m_scroll = new PopupScrollArea(this);
    stack->addWidget(m_scroll);
    stack->setCurrentWidget(m_loading);
}

bool TeamPicker::isLoading() const {
    return m_teams.empty();
}

void TeamPicker::setTeams(const std::vector<ESPNTeam>& knownTeams,
                          const std::optional<ESPNTeam>& favourite) {
    if (m_built && sameTeams(knownTeams, m_teams) && idOf(favourite) == idOf(m_favourite)) return;
    m_built = true;
    m_teams = knownTeams;
    m_favourite = favourite;
    auto* stack = static_cast<QStackedLayout*>(layout());
    if (knownTeams.empty()) {
        stack->setCurrentWidget(m_loading);
        replaceList(new QWidget);
        return;
    }

    const int scroll = m_scroll->verticalScrollBar()->value();
    auto* list = new QWidget;
    auto* column = new QVBoxLayout(list);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    if (favourite) {
        column->addWidget(makeRemoveRow(list));
        column->addWidget(new Divider(kRemoveDividerInset, list));
    }
    for (const auto& team : knownTeams) {
        column->addWidget(makeTeamRow(team, favourite && favourite->id == team.id, list));
        column->addWidget(new Divider(kTeamDividerInset, list));
    }
    column->addStretch(1);
    replaceList(list);
    m_scroll->verticalScrollBar()->setValue(scroll);
    stack->setCurrentWidget(m_scroll);
}

void TeamPicker::replaceList(QWidget* list) {
    // The old list may hold the very button whose click led here: dispose
    // of it once that click has been handled.
    if (QWidget* old = m_scroll->takeWidget()) {
        old->hide();
        old->setParent(this);  // owned until then, whatever happens
        old->deleteLater();
    }
    m_scroll->setWidget(list);
}

PlainButton* TeamPicker::makeRemoveRow(QWidget* parent) {
    auto* button = new PlainButton(parent);
    button->setObjectName(QStringLiteral("removeFavourite"));
    auto* row = new QHBoxLayout(button);
    row->setContentsMargins(kPickerHorizontalPadding, kPickerVerticalPadding,
                            kPickerHorizontalPadding, kPickerVerticalPadding);
    row->setSpacing(kRemoveRowSpacing);
    row->addWidget(new SymbolView(Symbol::XmarkCircle, 13,
                                  QSize(kRemoveIconFrame, kRemoveIconFrame),
                                  Theme::Colour::Secondary, button));
    auto* text = new TextLabel(Theme::systemFont(kNameFontSize), Theme::Colour::Secondary, button);
    text->setDisplayText(tr("Remove favourite"));
    button->setAccessibleName(tr("Remove favourite"));
    row->addWidget(text);
    row->addStretch(1);
    connect(button, &QAbstractButton::clicked, this, &TeamPicker::removeRequested);
    return button;
}

PlainButton* TeamPicker::makeTeamRow(const ESPNTeam& team, bool favourite, QWidget* parent) {
    auto* button = new PlainButton(parent);
    button->setObjectName(QStringLiteral("team:") + QString::fromStdString(team.abbreviation));
    auto* row = new QHBoxLayout(button);
    row->setContentsMargins(kPickerHorizontalPadding, kPickerVerticalPadding,
                            kPickerHorizontalPadding, kPickerVerticalPadding);
    row->setSpacing(kRowSpacing);

    auto* crestFrame = new QWidget(button);
    crestFrame->setFixedSize(kCrestFrame, kCrestFrame);
    crestFrame->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    auto* badge = new TeamBadge(TeamBadge::crestUrl(team.logo), m_images, crestFrame);
    badge->move((kCrestFrame - TeamBadge::kSize) / 2, (kCrestFrame - TeamBadge::kSize) / 2);
    row->addWidget(crestFrame, 0, Qt::AlignVCenter);

    auto* name = new TextLabel(Theme::systemFont(kNameFontSize), Theme::Colour::Primary, button);
    name->setDisplayText(QString::fromStdString(team.shortDisplayName));
    row->addWidget(name, 0, Qt::AlignVCenter);
    row->addStretch(1);
    if (favourite) {
        row->addWidget(
            new SymbolView(Symbol::StarFill, 12, QSize(14, 14), Theme::Colour::Yellow, button), 0,
            Qt::AlignVCenter);
        button->setTint(Theme::Colour::Yellow, kFavouriteTintOpacity);
    }
    const QString club = QString::fromStdString(team.shortDisplayName);
    button->setAccessibleName(club);
    button->setAccessibleDescription(favourite
                                         ? tr("Your favourite team; choosing it again removes it")
                                         : tr("Makes %1 your favourite team").arg(club));
    connect(button, &QAbstractButton::clicked, this, [this, team] { emit teamChosen(team); });
    return button;
}

}  // namespace fixtora
