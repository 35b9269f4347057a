// SPDX-License-Identifier: MIT
// The strip status item, termination signals and the one-instance lock.
#include "app/SingleInstance.hpp"
#include "platform/qt/StripStatusItem.hpp"
#include "platform/qt/TerminationSignals.hpp"
#include "support/TempDir.hpp"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <future>

using namespace fixtora;

namespace {

TEST(StripStatusItem, ShowsTheTitleOnScreenAndForwardsClicks) {
    StripStatusItem strip;
    QSignalSpy primary(&strip, &StatusItem::primaryClicked);
    QSignalSpy secondary(&strip, &StatusItem::secondaryClicked);
    strip.setTitle(QString::fromUtf8("ARS 2\u20131 CHE  67'"));
    EXPECT_TRUE(strip.window()->isVisible() && strip.title().endsWith("67'"));
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(strip.anchorRect()));
    QTest::mouseClick(strip.window(), Qt::LeftButton);
    QTest::mouseClick(strip.window(), Qt::RightButton);
    EXPECT_TRUE(primary.count() == 1 && secondary.count() == 1);
}

TEST(TerminationSignals, EachSignalBecomesAQuitRequestOnTheEventLoop) {
    TerminationSignals termination;
    ASSERT_TRUE(termination.isActive());
    EXPECT_THROW(TerminationSignals second, std::logic_error);
    QSignalSpy spy(&termination, &TerminationSignals::terminationRequested);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::raise(sig);
    ASSERT_TRUE(QTest::qWaitFor([&] { return spy.count() == 3; }, 5000));
    EXPECT_EQ(std::pair(spy[0][0].toInt(), spy[2][0].toInt()), std::pair(SIGTERM, SIGHUP));
}

TEST(SingleInstance, StrangersAreDroppedASecondStartAsksTheFirstAndTheLockIsReleasedAtExit) {
    test::TempDir dir;
    const auto runtime = dir / "run";
    {
        SingleInstance first(runtime);
        ASSERT_TRUE(first.acquire());
        QSignalSpy activated(&first, &SingleInstance::activationRequested);
        const auto socket = runtime / SingleInstance::kSocketName;
        EXPECT_EQ(std::filesystem::status(socket).permissions() &
                      (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
                  std::filesystem::perms::none);
        // One talks nonsense without a line end, one sends a wrong line, one
        // connects and says nothing; none of them is taken for a request.
        std::vector<int> strangers;
        for (const std::string& bytes :
             {std::string(200, 'x'), std::string("deactivate\n"), std::string()}) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{AF_UNIX, {}};
            std::strncpy(address.sun_path, socket.c_str(), sizeof(address.sun_path) - 1);
            EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address),
                      0);
            EXPECT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
            strangers.push_back(fd);
        }
        SingleInstance second(runtime);
        EXPECT_FALSE(second.acquire());
        // The asking side blocks, so it runs where a second process would:
        // not on this event loop.
        auto answered = std::async(std::launch::async, [&] {
            return SingleInstance::askRunningInstanceToActivate(runtime, 5000);
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return activated.count() == 1; }, 5000));
        EXPECT_TRUE(answered.get());
        QTest::qWait(50);
        EXPECT_EQ(activated.count(), 1);
        for (int fd : strangers) ::close(fd);
    }
    // Nobody runs now: nobody answers, and the next start gets the lock.
    EXPECT_FALSE(std::filesystem::exists(runtime / SingleInstance::kSocketName));
    EXPECT_FALSE(SingleInstance::askRunningInstanceToActivate(runtime, 300));
    // A lock naming a process that cannot exist, beside its socket file, is
    // taken over.
    test::writeFile(runtime / SingleInstance::kLockName,
                    "2147483646\nfixtora\n" + QSysInfo::machineHostName().toStdString() + "\n");
    test::writeFile(runtime / SingleInstance::kSocketName, "");
    SingleInstance third(runtime);
    EXPECT_TRUE(third.acquire());
}

}  // namespace
