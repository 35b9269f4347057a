// SPDX-License-Identifier: MIT
#pragma once

#include "data/ESPNModels.hpp"
#include "state/DateText.hpp"
#include "views/Symbol.hpp"

#include <QCoreApplication>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

class QVBoxLayout;

namespace fixtora {

class ImageCache;
class PlainButton;
class SlideFadeReveal;
class SymbolView;
class TeamBadge;
class TextLabel;

/// One match of the popup's list: status emoji, home crest and
/// abbreviation, score, clock or kick-off in the middle, away abbreviation
/// and crest, and for played or live matches a chevron that expands the row
/// to list the goal scorers. The favourite's match is tinted yellow and the
/// favourite's abbreviation set in bold.
///
/// A row keeps its expanded state while the list updates it with fresh data
/// for the same match (`setEvent`); missing data never fails a row.
///
/// Object names: "row" (the button that takes the tap), "homeBadge",
/// "homeAbbreviation", "centre", "awayAbbreviation", "awayBadge", "scorers".
class MatchRowView final : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(MatchRowView)

  public:
    static constexpr int kHorizontalPadding = 14;
    static constexpr int kVerticalPadding = 8;
    static constexpr double kFavouriteTintOpacity = 0.06;

    MatchRowView(ESPNEvent event, std::optional<std::string> favouriteTeamId,
                 std::shared_ptr<ImageCache> images, DateContext dates = {},
                 QWidget* parent = nullptr);

    /// New data for the row (same match, or another): redraws everything
    /// and keeps `showScorers`.
    void setEvent(ESPNEvent event);
    void setFavouriteTeamId(std::optional<std::string> favouriteTeamId);
    const ESPNEvent& event() const { return m_event; }
    const std::optional<std::string>& favouriteTeamId() const { return m_favouriteTeamId; }

    /// What a tap does: toggles the scorer list (animated) when the match is
    /// expandable; nothing otherwise.
    void tap();
    bool showScorers() const { return m_showScorers; }
    /// Sets the scorer list's state directly, as the list does when it
    /// restores a row.
    void setShowScorers(bool show, bool animated);

    // What the row shows, derived from the match on every call.
    bool isFinished() const;
    bool isLive() const;
    bool isExpandable() const { return isFinished() || isLive(); }
    QString statusIcon() const;
    /// The middle text when the match is not live (live matches draw the
    /// same scores around a smaller clock, in red).
    QString centreText() const;
    /// Bold for the favourite's side, medium for any other.
    QFont::Weight homeWeight() const;
    QFont::Weight awayWeight() const;
    bool isFavouriteMatch() const;
    /// "chevron.down"/"chevron.up" for expandable matches, none otherwise.
    Symbol marker() const;
    QString goalLine(const ESPNDetail& detail) const;
    /// The lines of the scorer list.
    QStringList scorerLines() const;
    /// What a screen reader says for the row: its name ("Arsenal 2,
    /// Chelsea 1, full time") and its description (the scorers when shown).
    QString accessibleSummary() const;
    QString accessibleDetails() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QFont::Weight weightOf(const std::optional<ESPNCompetitor>& side) const;
    void refresh();
    void refreshScorers();
    QString liveCentreHtml() const;

    ESPNEvent m_event;
    std::optional<std::string> m_favouriteTeamId;
    DateContext m_dates;
    bool m_showScorers = false;

    PlainButton* m_button = nullptr;
    TextLabel* m_status = nullptr;
    TeamBadge* m_homeBadge = nullptr;
    TextLabel* m_homeAbbr = nullptr;
    TextLabel* m_centre = nullptr;
    TextLabel* m_awayAbbr = nullptr;
    TeamBadge* m_awayBadge = nullptr;
    SymbolView* m_marker = nullptr;
    SlideFadeReveal* m_scorers = nullptr;
    QWidget* m_scorerList = nullptr;
    QVBoxLayout* m_scorerLayout = nullptr;
    QStringList m_shownScorerLines;
};

}  // namespace fixtora
