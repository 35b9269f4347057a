// SPDX-License-Identifier: MIT
#pragma once

#include "state/DateText.hpp"
#include "state/FixturesViewModel.hpp"
#include "views/PopupScrollArea.hpp"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QVBoxLayout;

namespace fixtora {

class DayHeader;
class Divider;
class ImageCache;
class MatchRowView;

/// The scrolling list of one matchweek's matches, one section per day whose
/// header stays pinned to the top while its rows scroll under it.
///
/// `setGroups` updates the list in place: rows are kept by event id (an expanded
/// row stays expanded) and the scroll position stays where it was. A list
/// for another matchweek is a new `MatchList`.
class MatchList final : public PopupScrollArea {
  public:
    using DayGroup = FixturesViewModel::DayGroup;

    MatchList(std::shared_ptr<ImageCache> images, DateContext dates, QWidget* parent = nullptr);

    void setGroups(const std::vector<DayGroup>& groups,
                   const std::optional<std::string>& favouriteTeamId);

    /// The row of `eventId`, or null.
    MatchRowView* row(const std::string& eventId) const;
    /// The rows in display order.
    std::vector<MatchRowView*> rows() const;
    /// The section headers in display order.
    std::vector<DayHeader*> headers() const;

    int scrollPosition() const;

  protected:
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Section {
        std::string id;
        DayHeader* header = nullptr;
        QWidget* slot = nullptr;  // holds the header's place in the layout
    };
    struct Entry {
        MatchRowView* row = nullptr;
        Divider* divider = nullptr;
    };

    void pinHeaders();

    std::shared_ptr<ImageCache> m_images;
    DateContext m_dates;
    QWidget* m_content;
    QVBoxLayout* m_layout;
    std::vector<Section> m_sections;
    std::vector<std::string> m_order;  // event ids in display order
    std::map<std::string, Entry> m_entries;
};

}  // namespace fixtora
