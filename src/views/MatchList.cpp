// SPDX-License-Identifier: MIT
#include "views/MatchList.hpp"

#include "views/DayHeader.hpp"
#include "views/Divider.hpp"
#include "views/MatchRowView.hpp"

#include <QEvent>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <set>

namespace fixtora {

namespace {
constexpr int kRowDividerInset = 14;
}

MatchList::MatchList(std::shared_ptr<ImageCache> images, DateContext dates, QWidget* parent)
    : PopupScrollArea(parent), m_images(std::move(images)), m_dates(std::move(dates)) {
    m_content = new QWidget;
    m_content->setAutoFillBackground(false);
    m_layout = new QVBoxLayout(m_content);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addStretch(1);
    setWidget(m_content);
    m_content->installEventFilter(this);
}

void MatchList::setGroups(const std::vector<DayGroup>& groups,
                          const std::optional<std::string>& favouriteTeamId) {
    // Take everything out of the layout (the widgets stay), then lay the
    // sections out again in the new order, reusing headers by day and rows
    // by event id.
    while (m_layout->count() > 0) std::unique_ptr<QLayoutItem> item(m_layout->takeAt(0));

    std::vector<Section> sections;
    std::vector<std::string> order;
    std::set<std::string> seen;
    for (const auto& group : groups) {
        auto found = std::find_if(m_sections.begin(), m_sections.end(),
                                  [&](const Section& s) { return s.id == group.id && s.header; });
        Section section;
        if (found != m_sections.end()) {
            section = *found;
            found->header = nullptr;  // taken over
        } else {
            section.id = group.id;
            section.header = new DayHeader(QString::fromStdString(group.label), m_content);
            section.slot = new QWidget(m_content);
            section.slot->setFixedHeight(section.header->sizeHint().height());
            section.slot->installEventFilter(this);
            section.header->show();
            section.slot->show();
        }
        m_layout->addWidget(section.slot);
        for (const auto& event : group.events) {
            if (!seen.insert(event.id).second) continue;  // one row per match
            auto& entry = m_entries[event.id];
            if (entry.row) {
                entry.row->setEvent(event);
                entry.row->setFavouriteTeamId(favouriteTeamId);
            } else {
                entry.row = new MatchRowView(event, favouriteTeamId, m_images, m_dates, m_content);
                entry.divider = new Divider(kRowDividerInset, m_content);
                entry.row->show();
                entry.divider->show();
            }
            m_layout->addWidget(entry.row);
            m_layout->addWidget(entry.divider);
            order.push_back(event.id);
        }
        sections.push_back(section);
    }
    m_layout->addStretch(1);

    // Drop what is no longer shown.
    for (auto& old : m_sections) {
        if (!old.header) continue;
        old.header->deleteLater();
        old.slot->deleteLater();
    }
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (seen.count(it->first)) {
            ++it;
            continue;
        }
        it->second.row->deleteLater();
        it->second.divider->deleteLater();
        it = m_entries.erase(it);
    }
    m_sections = std::move(sections);
    m_order = std::move(order);
    m_layout->activate();
    pinHeaders();
}

MatchRowView* MatchList::row(const std::string& eventId) const {
    const auto it = m_entries.find(eventId);
    return it == m_entries.end() ? nullptr : it->second.row;
}

std::vector<MatchRowView*> MatchList::rows() const {
    std::vector<MatchRowView*> result;
    for (const auto& id : m_order) result.push_back(m_entries.at(id).row);
    return result;
}

std::vector<DayHeader*> MatchList::headers() const {
    std::vector<DayHeader*> result;
    for (const auto& section : m_sections) result.push_back(section.header);
    return result;
}

int MatchList::scrollPosition() const {
    return verticalScrollBar()->value();
}

void MatchList::scrollContentsBy(int dx, int dy) {
    PopupScrollArea::scrollContentsBy(dx, dy);
    pinHeaders();
}

void MatchList::resizeEvent(QResizeEvent* event) {
    PopupScrollArea::resizeEvent(event);
    pinHeaders();
}

bool MatchList::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::LayoutRequest) {
        if (watched == m_content ||
            std::any_of(m_sections.begin(), m_sections.end(),
                        [&](const Section& s) { return s.slot == watched; })) {
            pinHeaders();
        }
    }
    return PopupScrollArea::eventFilter(watched, event);
}

void MatchList::pinHeaders() {
    // Each header sits at its section's top, but never above the visible
    // top while its section is on screen, and is pushed up by the next one.
    const int top = -m_content->y();
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        const auto& section = m_sections[i];
        const int height = section.slot->height();
        const int start = section.slot->y();
        const int end =
            (i + 1 < m_sections.size()) ? m_sections[i + 1].slot->y() : m_content->height();
        const int y = std::min(std::max(start, top), std::max(start, end - height));
        section.header->setGeometry(0, y, m_content->width(), height);
        section.header->raise();
    }
}

}  // namespace fixtora
