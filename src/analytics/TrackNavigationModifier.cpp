// SPDX-License-Identifier: MIT
#include "analytics/TrackNavigationModifier.hpp"

#include "analytics/NavigationStatus.hpp"

namespace analytics {

TrackNavigationModifier::TrackNavigationModifier(std::string path,
                                                 std::shared_ptr<NavigationStatus> status)
    : m_path(std::move(path)), m_status(std::move(status)) {}

void TrackNavigationModifier::onAppear() const {
    const auto status = m_status ? m_status : NavigationStatus::shared();
    status->navigationPathChanged(m_path);
}

}  // namespace analytics
