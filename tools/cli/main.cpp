// SPDX-License-Identifier: MIT
// fixtora-cli: the terminal view of Fixtora. Runs the real fixtures view model
// against a backend on an event loop of its own and prints the live status
// title and the displayed matchweek grouped by day, again whenever they
// change. With --once it prints once the first matches have loaded and exits.
#include "data/APIClient.hpp"
#include "data/MatchWeekSchedule.hpp"
#include "fixtora/BuildConfig.hpp"
#include "platform/Clock.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/Paths.hpp"
#include "platform/Preferences.hpp"
#include "platform/WorkerScheduler.hpp"
#include "state/DateText.hpp"
#include "state/FixturesViewModel.hpp"
#include "state/MatchDisplay.hpp"
#include "state/MatchesFetcher.hpp"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace fixtora;

constexpr const char* kUsage =
    "usage: fixtora-cli [BACKEND_URL] [--once] [--favourite TEAM_ID] [--timeout SECONDS]\n"
    "\n"
    "  BACKEND_URL        the backend to ask (default: the build's backend URL)\n"
    "  --once             print once after the first matches have loaded, then exit\n"
    "  --favourite ID     follow that team in the title once it is known\n"
    "  --timeout SECONDS  with --once: give up after that long (default 30)\n";

std::atomic<bool> g_stop{false};

extern "C" void onSignal(int) {
    g_stop = true;
}

struct Options {
    std::string backendUrl = build::kBackendUrl;
    bool once = false;
    std::optional<std::string> favouriteId;
    double timeoutSeconds = 30;
};

std::optional<Options> parse(int argc, char** argv) {
    Options options;
    bool urlGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--once") {
            options.once = true;
        } else if ((arg == "--favourite" || arg == "--timeout") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--favourite") {
                options.favouriteId = value;
            } else {
                try {
                    options.timeoutSeconds = std::stod(value);
                } catch (const std::exception&) {
                    std::cerr << "fixtora-cli: --timeout needs a number of seconds, not \"" << value
                              << "\"\n";
                    return std::nullopt;
                }
            }
        } else if (!urlGiven && arg.rfind("--", 0) != 0) {
            options.backendUrl = arg;
            urlGiven = true;
        } else {
            std::cerr << "fixtora-cli: unexpected argument \"" << arg << "\"\n";
            return std::nullopt;
        }
    }
    if (!isValidBackendUrl(options.backendUrl)) {
        std::cerr << "fixtora-cli: \"" << options.backendUrl << "\" is not an http or https URL\n";
        return std::nullopt;
    }
    return options;
}

std::string render(const FixturesViewModel& vm) {
    std::ostringstream out;
    out << vm.statusBarTitle() << "\n";
    out << "Matchweek " << vm.currentGW();
    if (const auto range = vm.weekRangeLabel(); !range.empty()) out << "  \u00B7  " << range;
    out << "\n";
    if (vm.isLoadingSchedule()) out << "Loading the season\u2026\n";
    if (vm.scheduleError()) out << "Error: " << *vm.scheduleError() << "\n";
    if (vm.matchError()) out << "Error: " << *vm.matchError() << "\n";
    if (vm.isFetchingMatches()) out << "Loading matches\u2026\n";
    const auto groups = vm.groupedEvents();
    if (groups.empty() && !vm.isLoadingSchedule() && !vm.isFetchingMatches() && !vm.scheduleError())
        out << "No matches\n";
    for (const auto& group : groups) {
        out << "\n" << group.label << "\n";
        for (const auto& event : group.events) {
            const auto home = event.home();
            const auto away = event.away();
            char column[16];
            std::snprintf(column, sizeof column, "%6s", statusColumn(event, {}).c_str());
            out << "  " << column << "  " << sideName(home).value_or("?")
                << (showsScore(event)
                        ? " " + sideScore(home) + std::string(kScoreDash) + sideScore(away) + " "
                        : " v ")
                << sideName(away).value_or("?") << "\n";
        }
    }
    if (const auto& favourite = vm.favouriteTeam())
        out << "\nFavourite: " << favourite->shortDisplayName << "\n";
    return out.str();
}

/// Whether the first load has come to an end, one way or another.
bool settled(const FixturesViewModel& vm, const MatchWeekSchedule& schedule) {
    if (vm.isLoadingSchedule()) return false;
    if (vm.scheduleError() || !schedule.week(vm.currentGW())) return true;
    return !vm.activeFetch() && !vm.isFetchingMatches() && vm.autoRefreshInterval().has_value();
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = parse(argc, argv);
    if (!options) {
        std::cerr << kUsage;
        return 2;
    }
    useEnvironmentLocale();
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    auto mainQueue = std::make_shared<WorkerScheduler>("main");
    auto http = std::make_shared<CurlHttpClient>();
    auto clock = std::make_shared<SystemClock>();
    auto paths = std::make_shared<XdgPaths>();
    auto preferences = std::make_shared<InMemoryPreferences>();
    auto fetcher =
        MatchesFetcher::fromClient(std::make_shared<APIClient>(http, options->backendUrl));
    const bool tty = isatty(STDOUT_FILENO) != 0;

    std::mutex mutex;
    std::condition_variable wake;
    bool done = false;
    int status = 0;

    // Everything of the view model lives and dies on the main scheduler.
    std::shared_ptr<MatchWeekSchedule> schedule;
    std::shared_ptr<FixturesViewModel> vm;
    Subscription subscription;
    std::string last;
    mainQueue->post([&] {
        schedule =
            std::make_shared<MatchWeekSchedule>(http, options->backendUrl, paths, clock, mainQueue);
        vm = FixturesViewModel::create(schedule, fetcher, nullptr, preferences, clock, mainQueue);
        auto show = [&] {
            if (options->favouriteId && !vm->favouriteTeam()) {
                for (const auto& team : vm->knownTeams())
                    if (team.id == *options->favouriteId) vm->setFavouriteTeam(team);
            }
            if (options->once) {
                if (!settled(*vm, *schedule)) return;
                std::cout << render(*vm) << std::flush;
                std::lock_guard lock(mutex);
                if (!done) status = vm->scheduleError() || vm->matchError() ? 1 : 0;
                done = true;
                wake.notify_all();
                return;
            }
            auto text = render(*vm);
            if (text == last) return;
            last = text;
            std::cout << (tty ? "\033[H\033[2J" : "\n") << text << std::flush;
        };
        subscription = vm->subscribe(show);
        show();
    });

    {
        std::unique_lock lock(mutex);
        const auto deadline = std::chrono::steady_clock::now() +
                              std::chrono::duration<double>(options->timeoutSeconds);
        while (!done && !g_stop) {
            wake.wait_for(lock, std::chrono::milliseconds(200));
            if (options->once && std::chrono::steady_clock::now() >= deadline) {
                std::cerr << "fixtora-cli: no matches after " << options->timeoutSeconds << " s\n";
                status = 1;
                done = true;
                lock.unlock();
                mainQueue->post([&] { std::cout << render(*vm) << std::flush; });
                mainQueue->drain();
                break;
            }
        }
    }
    mainQueue->post([&] {
        subscription.reset();
        vm.reset();
        schedule.reset();
    });
    mainQueue->drain();
    return status;
}
