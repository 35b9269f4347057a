// SPDX-License-Identifier: MIT
#pragma once

#include "platform/qt/StatusItem.hpp"

#include <functional>
#include <memory>

namespace fixtora {

/// One status item for the life of the process over backends that come and
/// go with the desktop's panel: the preferred backend while the panel says
/// it will show it, the fallback otherwise. The title moves to each new
/// backend, and the clicks of whichever backend is current come out of this
/// item, so its users never see the switch. Main thread only.
class SwitchingStatusItem final : public StatusItem {
    Q_OBJECT
  public:
    using Maker = std::function<std::unique_ptr<StatusItem>()>;

    /// Starts on `preferred` when `preferredAvailable`, else on `fallback`.
    /// A preferred maker that gives nothing (its backend failed) leaves the
    /// fallback in place. `fallback` must always give an item.
    SwitchingStatusItem(Maker preferred, Maker fallback, bool preferredAvailable,
                        QObject* parent = nullptr);
    ~SwitchingStatusItem() override;

    /// Moves to the preferred backend or away from it.
    void setPreferredAvailable(bool available);

    void setTitle(const QString& title) override;
    QString title() const override { return m_title; }
    QRect anchorRect() const override;
    QString backendName() const override;

    StatusItem* current() const { return m_current.get(); }

  signals:
    /// The backend changed; `backend` is the new one's name.
    void backendChanged(const QString& backend);

  private:
    void install(std::unique_ptr<StatusItem> item, bool preferred);

    Maker m_preferred;
    Maker m_fallback;
    std::unique_ptr<StatusItem> m_current;
    bool m_onPreferred = false;
    QString m_title;
};

}  // namespace fixtora
