// SPDX-License-Identifier: MIT
#include "platform/qt/SwitchingStatusItem.hpp"

#include <stdexcept>

namespace fixtora {

SwitchingStatusItem::SwitchingStatusItem(Maker preferred, Maker fallback, bool preferredAvailable,
                                         QObject* parent)
    : StatusItem(parent), m_preferred(std::move(preferred)), m_fallback(std::move(fallback)) {
    if (!m_fallback) throw std::invalid_argument("SwitchingStatusItem: no fallback");
    setPreferredAvailable(preferredAvailable);
    if (!m_current) install(m_fallback(), false);
    if (!m_current) throw std::invalid_argument("SwitchingStatusItem: the fallback gave no item");
}

SwitchingStatusItem::~SwitchingStatusItem() = default;

void SwitchingStatusItem::setPreferredAvailable(bool available) {
    if (available == m_onPreferred && m_current) return;
    if (available) {
        if (auto item = m_preferred ? m_preferred() : nullptr) install(std::move(item), true);
        return;
    }
    install(m_fallback(), false);
}

void SwitchingStatusItem::install(std::unique_ptr<StatusItem> item, bool preferred) {
    if (!item) return;
    // The old backend leaves the panel here (each item's bus name is its
    // own, so the new one never waits for the old one's).
    m_current = std::move(item);
    m_onPreferred = preferred;
    connect(m_current.get(), &StatusItem::primaryClicked, this, &StatusItem::primaryClicked);
    connect(m_current.get(), &StatusItem::secondaryClicked, this, &StatusItem::secondaryClicked);
    if (!m_title.isNull()) m_current->setTitle(m_title);
    emit backendChanged(m_current->backendName());
}

void SwitchingStatusItem::setTitle(const QString& title) {
    m_title = title;
    m_current->setTitle(title);
}

QRect SwitchingStatusItem::anchorRect() const {
    return m_current->anchorRect();
}

QString SwitchingStatusItem::backendName() const {
    return m_current->backendName();
}

}  // namespace fixtora
