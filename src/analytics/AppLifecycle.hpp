// SPDX-License-Identifier: MIT
#pragma once

namespace analytics {

/// The application's activity changes, as the desktop shell reports them to
/// the analytics client. Tests call these directly.
class AppLifecycle {
  public:
    virtual ~AppLifecycle() = default;
    /// The application stopped being the active one.
    virtual void applicationDidResignActive() = 0;
    /// The application is about to become the active one again.
    virtual void applicationWillBecomeActive() = 0;
    /// The application is about to quit.
    virtual void applicationWillTerminate() = 0;
};

}  // namespace analytics
