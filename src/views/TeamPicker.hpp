// SPDX-License-Identifier: MIT
#pragma once

#include "data/ESPNModels.hpp"

#include <QWidget>

#include <functional>
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
class TeamPicker final : public QWidget {
public:
    static constexpr double kFavouriteTintOpacity = 0.08;

    /// `onChoose` runs with the club of a tapped row; `onRemove` when the
    /// remove row is tapped.
    TeamPicker(std::shared_ptr<ImageCache> images, std::function<void(const ESPNTeam&)> onChoose,
               std::function<void()> onRemove, QWidget* parent = nullptr);

    void setTeams(const std::vector<ESPNTeam>& knownTeams, const std::optional<ESPNTeam>& favourite);

    bool isLoading() const;
    /// The remove row, null without a favourite.
    PlainButton* removeRow() const { return m_removeRow; }
    /// The club rows, in order.
    const std::vector<PlainButton*>& teamRows() const { return m_teamRows; }
    /// The club of each row, in order.
    const std::vector<ESPNTeam>& teams() const { return m_teams; }
    /// Index of the favourite's row, if it is listed.
    std::optional<std::size_t> favouriteRow() const;

private:
    PlainButton* makeRemoveRow(QWidget* parent);
    PlainButton* makeTeamRow(const ESPNTeam& team, bool favourite, QWidget* parent);
    void clearList();
    void replaceList(QWidget* list);

    std::shared_ptr<ImageCache> m_images;
    std::function<void(const ESPNTeam&)> m_onChoose;
    std::function<void()> m_onRemove;
    QWidget* m_loading = nullptr;
    PopupScrollArea* m_scroll = nullptr;
    QWidget* m_list = nullptr;
    QVBoxLayout* m_listLayout = nullptr;
    PlainButton* m_removeRow = nullptr;
    std::vector<PlainButton*> m_teamRows;
    std::vector<ESPNTeam> m_teams;
    std::optional<ESPNTeam> m_favourite;
    bool m_built = false;
};

}  // namespace fixtora
