// SPDX-License-Identifier: MIT
#include "analytics/AppLifecycle.hpp"
#include "app/ApplicationStateBridge.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fixtora;

namespace {

class RecordingLifecycle final : public analytics::AppLifecycle {
  public:
    void applicationDidResignActive() override { events.push_back("resign"); }
    void applicationWillBecomeActive() override { events.push_back("active"); }
    void applicationWillTerminate() override { events.push_back("terminate"); }
    std::vector<std::string> events;
};

TEST(ApplicationStateBridge, ReportsChangesOnceAndNothingAfterQuitting) {
    RecordingLifecycle lifecycle;
    ApplicationStateBridge bridge(lifecycle);
    bridge.applicationStateChanged(Qt::ApplicationInactive);  // whatever it started as
    lifecycle.events.clear();
    for (auto state : {Qt::ApplicationActive, Qt::ApplicationActive, Qt::ApplicationInactive,
                       Qt::ApplicationHidden, Qt::ApplicationActive})
        bridge.applicationStateChanged(state);
    bridge.applicationAboutToQuit();
    bridge.applicationAboutToQuit();
    bridge.applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(lifecycle.events,
              (std::vector<std::string>{"active", "resign", "active", "terminate"}));
}

}  // namespace
