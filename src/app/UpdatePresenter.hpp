// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace fixtora {

/// A newer version as the update feed describes it.
struct UpdateOffer {
    std::string version;
    std::string url;    // the download page, http or https
    std::string notes;  // may be empty

    friend bool operator==(const UpdateOffer&, const UpdateOffer&) = default;
};

/// How the update controller's answers reach the user (dialogs in the app,
/// a recorder in tests).
class UpdatePresenter {
  public:
    virtual ~UpdatePresenter() = default;
    /// A check that the user asked for found nothing newer.
    virtual void showUpToDate(const std::string& currentVersion) = 0;
    /// A newer version is available.
    virtual void offerUpdate(const UpdateOffer& offer, const std::string& currentVersion) = 0;
    /// A check that the user asked for failed; `reason` is a full sentence.
    virtual void showCheckFailed(const std::string& reason) = 0;
};

}  // namespace fixtora
