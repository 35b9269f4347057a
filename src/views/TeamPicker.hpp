// SPDX-License-Identifier: MIT
#pragma once

#include "data/ESPNModels.hpp"

#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QVBoxLayout;

namespace fixtora {

class CentreMessage;
class ImageCache;
class PlainButton;
class PopupScrollArea;

/// The list of known clubs to pick the favourite from: a "Remove favourite"
/// row while there is a favourite, then every club with its crest, the
/// favourite's row starred on a yellow tint. Shows "Loading teams…" while no
/// club is known yet. It keeps no state: `setTeams` rebuilds it.
///
/// Object names: "loading", "removeFavourite", and "team:" followed by the
/// abbreviation for each club's row.
class TeamPicker final : public QWidget {
    Q_OBJECT

  public:
    static constexpr double kFavouriteTintOpacity = 0.08;

    explicit TeamPicker(std::shared_ptr<ImageCache> images, QWidget* parent = nullptr);

    void setTeams(const std::vector<ESPNTeam>& knownTeams,
                  const std::optional<ESPNTeam>& favourite);
    bool isLoading() const;

  signals:
    /// The row of `team` was tapped.
    void teamChosen(const fixtora::ESPNTeam& team);
    /// The remove row was tapped.
    void removeRequested();

  private:
    PlainButton* makeRemoveRow(QWidget* parent);
    PlainButton* makeTeamRow(const ESPNTeam& team, bool favourite, QWidget* parent);
    void replaceList(QWidget* list);

    std::shared_ptr<ImageCache> m_images;
    QWidget* m_loading = nullptr;
    PopupScrollArea* m_scroll = nullptr;
    std::vector<ESPNTeam> m_teams;
    std::optional<ESPNTeam> m_favourite;
    bool m_built = false;
};

}  // namespace fixtora
