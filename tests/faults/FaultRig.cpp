// SPDX-License-Identifier: MIT
#include "FaultRig.hpp"

#include "analytics/Analytics.hpp"
#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/DurationSignalTracker.hpp"
#include "analytics/NavigationStatus.hpp"
#include "analytics/SessionManager.hpp"
#include "analytics/SignalManager.hpp"
#include "app/FixturesContent.hpp"
#include "app/MenuBarController.hpp"
#include "app/PopupWindow.hpp"
#include "app/UpdateController.hpp"
#include "app/UpdatePresenter.hpp"
#include "data/ImageCache.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/SystemInfo.hpp"
#include "platform/qt/QtImageDecoder.hpp"
#include "platform/qt/QtPreferencesStore.hpp"
#include "state/FixturesViewModel.hpp"
#include "support/SilentStatusItem.hpp"
#include "views/CentreMessage.hpp"
#include "views/SymbolButton.hpp"

#include <QStackedWidget>

#include <gtest/gtest.h>
#include <fixtora/BuildConfig.hpp>

#include <algorithm>

namespace fixtora::test {

namespace {

const DateContext kDates{"en_GB", "UTC"};

class QuietUpdatePresenter final : public UpdatePresenter {
  public:
    void showUpToDate(const std::string&) override {}
    void offerUpdate(const UpdateOffer&, const std::string&) override {}
    void showCheckFailed(const std::string&) override {}
};

}  // namespace

// ---------------------------------------------------------------------------

TimeoutScalingHttpClient::TimeoutScalingHttpClient(double divisor, std::weak_ptr<Scheduler> wake)
    : m_divisor(divisor), m_wake(std::move(wake)), m_client(std::make_unique<CurlHttpClient>()) {}

TimeoutScalingHttpClient::~TimeoutScalingHttpClient() = default;

void TimeoutScalingHttpClient::send(HttpRequest request, Completion completion) {
    {
        std::lock_guard lock(m_mutex);
        m_requested.emplace_back(request.url, request.timeoutSeconds);
    }
    request.timeoutSeconds /= m_divisor;
    m_inFlight->fetch_add(1);
    m_client->send(std::move(request),
                   [inFlight = m_inFlight, wake = m_wake,
                    completion = std::move(completion)](Result<HttpResponse> result) {
                       completion(std::move(result));
                       inFlight->fetch_sub(1);
                       // Whoever waits for the count to drop wakes up and sees it.
                       if (auto scheduler = wake.lock()) scheduler->post([] {});
                   });
}

std::vector<double> TimeoutScalingHttpClient::requestedTimeouts(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    std::vector<double> out;
    for (const auto& [url, timeout] : m_requested)
        if (url.find(path) != std::string::npos) out.push_back(timeout);
    return out;
}

// ---------------------------------------------------------------------------

RunningApp::RunningApp(FaultRig& rig)
    : m_rig(rig),
      m_main(std::make_shared<ManualScheduler>()),  // monotonic: the system clock may jump, timers
                                                    // do not
      m_http(std::make_shared<TimeoutScalingHttpClient>(rig.timeoutDivisor(), m_main)) {
    AppServices services;
    services.main = m_main;
    services.http = m_http;
    services.preferences = rig.preferences();
    services.paths = rig.paths();
    services.images = std::make_shared<QtImageDecoder>();
    services.clock = rig.wall();
    services.systemInfo = std::make_shared<FixedSystemInfo>();

    const std::string url = rig.url();
    m_presenter = std::make_shared<QuietUpdatePresenter>();
    m_updater = std::make_unique<UpdateController>(*m_main, *m_http, url + "/updates/feed.json",
                                                   "1.0.0", *m_presenter);
    m_updater->start();

    // The shipped program's analytics start, with every queue of the
    // analytics client on the virtual main queue.
    analytics::Environment environment = analyticsEnvironment(services);
    environment.utilityScheduler = m_main;
    environment.timerScheduler = m_main;
    analytics::Analytics::setDefaultEnvironment(environment);
    auto config = std::make_shared<analytics::AnalyticsConfiguration>(build::kAnalyticsAppId,
                                                                      std::nullopt, url);
    config->setEnvironment(environment);
    config->setLogHandler(std::nullopt);
    analytics::Analytics::initialize(config);
    analytics::Analytics::signal("app.launched");

    m_content = std::make_unique<FixturesContent>(services, url, kDates);
    MenuBarController::Options options;
    options.version = QStringLiteral("1.0.0");
    options.websiteUrl = QString::fromStdString(url + "/site");
    options.checkForUpdates = [this] { m_updater->checkForUpdates(); };
    options.makeStatusItem = [](MenuSource) { return std::make_unique<test::SilentStatusItem>(); };
    options.openUrl = [](const QUrl&) {};
    options.quit = [] {};
    m_controller = std::make_unique<MenuBarController>([this] { return m_content->makePopup(); },
                                                       std::move(options));
    m_controller->bindTitle([this](MenuBarController::TitleCallback onTitle) {
        return m_content->subscribeTitle(std::move(onTitle));
    });
    m_main->runUntilIdle();
}

RunningApp::~RunningApp() {
    // What the application does when it is told to quit.
    analytics::Analytics::applicationWillTerminate();
    m_controller.reset();
    m_content.reset();  // waits for a crest download under way
    m_updater.reset();
    analytics::Analytics::terminate();
    analytics::SessionManager::setShared(nullptr);
    analytics::NavigationStatus::setShared(nullptr);
    analytics::DurationSignalTracker::setShared(nullptr);
    m_http.reset();  // cancels the requests still in flight
    m_main->runUntilIdle();
}

FixturesViewModel& RunningApp::model() const {
    return *m_content->viewModel();
}

ImageCache& RunningApp::images() const {
    return *m_content->images();
}

QString RunningApp::title() const {
    return m_controller->statusItem().title();
}

QWidget& RunningApp::popup() const {
    return *m_controller->popup().content();
}

QWidget* RunningApp::popupPage() const {
    return popup().findChild<QStackedWidget*>(QStringLiteral("pages"))->currentWidget();
}

std::string RunningApp::popupMessage() const {
    const auto* message = dynamic_cast<const CentreMessage*>(popupPage());
    return message ? message->text().toStdString() : std::string();
}

bool RunningApp::showsMatchList() const {
    return popupPage()->objectName() == QStringLiteral("matchList");
}

bool RunningApp::settle(const std::function<bool()>& done, std::chrono::milliseconds patience) {
    return m_main->runUntil(done, patience);
}

bool RunningApp::settleIo(std::chrono::milliseconds patience) {
    const bool idle = m_main->runUntil([this] { return m_http->inFlight() == 0; }, patience);
    m_main->runUntilIdle();
    return idle;
}

void RunningApp::advance(double seconds) {
    settleIo();
    double left = seconds;
    while (left > 0) {
        double step = left;
        if (const auto next = m_main->nextTimerDelay()) step = std::clamp(*next, 0.0, left);
        m_rig.wall()->advance(step);
        m_rig.trueTime()->advance(step);
        m_main->advance(step);
        left -= step;
        settleIo();
    }
}

// ---------------------------------------------------------------------------

FaultRig::FaultRig()
    : m_wall(std::make_shared<SettableClock>(SystemClock().now())),
      m_trueTime(std::make_shared<SettableClock>(m_wall->now())),
      m_paths(std::make_shared<FixedPaths>(m_dir.path())),
      m_preferences(std::make_shared<QtPreferencesStore>(m_dir.path() / "config", "Fixtora")) {
    startBackend();
}

FaultRig::~FaultRig() {
    quit();
    stopBackend();
}

RunningApp& FaultRig::launch() {
    quit();
    m_app = std::make_unique<RunningApp>(*this);
    return *m_app;
}

void FaultRig::quit() {
    m_app.reset();
}

void FaultRig::startBackend() {
    if (m_backend) return;
    demo::DemoBackend::Options options;
    options.port = m_port;  // the first start picks a free port, later ones take it again
    m_backend = std::make_unique<demo::DemoBackend>(options, m_trueTime);
    m_port = m_backend->start();
}

void FaultRig::stopBackend() {
    m_backend.reset();
}

std::string FaultRig::url() const {
    return "http://127.0.0.1:" + std::to_string(m_port);
}

std::filesystem::path FaultRig::signalCacheFile() const {
    return analytics::SignalManager::cacheFileIn(cachesDir());
}

// ---------------------------------------------------------------------------

void waitUntilShown(RunningApp& app) {
    ASSERT_TRUE(app.settle([&] {
        return !app.model().events().empty() && !app.model().isFetchingMatches();
    })) << "schedule error: "
        << app.model().scheduleError().value_or("none")
        << ", match error: " << app.model().matchError().value_or("none");
    app.settleIo();
}

void expectHealthy(RunningApp& app) {
    const auto& model = app.model();
    EXPECT_EQ(model.scheduleError(), std::nullopt);
    EXPECT_EQ(model.matchError(), std::nullopt);
    EXPECT_FALSE(model.events().empty());
    EXPECT_EQ(model.totalGWs(), 38);
    EXPECT_EQ(model.currentGW(), model.liveGW());
    EXPECT_TRUE(app.showsMatchList()) << app.popupMessage();
    EXPECT_TRUE(app.title().toStdString().starts_with(kBallAndBlanks)) << app.title().toStdString();
}

RunningApp& recoverAfterFault(FaultRig& rig, bool scheduleFailed) {
    rig.app().popup().findChild<SymbolButton*>(QStringLiteral("refresh"))->click();
    return scheduleFailed ? rig.launch() : rig.app();
}

void waitForCrests(RunningApp& app) {
    EXPECT_TRUE(app.settle([&] { return app.images().mem().size() >= 20; }))
        << app.images().mem().size();
}

std::size_t signalsOfType(const nlohmann::json& received, const std::string& type) {
    std::size_t n = 0;
    for (const auto& one : received) n += one.value("type", "") == type ? 1 : 0;
    return n;
}

}  // namespace fixtora::test
