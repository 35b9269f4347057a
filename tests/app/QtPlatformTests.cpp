// SPDX-License-Identifier: MIT
#include "platform/ManualScheduler.hpp"
#include "platform/qt/QtImageDecoder.hpp"
#include "platform/qt/QtMainScheduler.hpp"
#include "platform/qt/QtPreferencesStore.hpp"
#include "support/TempDir.hpp"

#include <QBuffer>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace fixtora;

namespace {

// --- main scheduler: these use real (very short) Qt timers by necessity ---

TEST(QtMainScheduler, PostsFromAnyThreadInOrderAndTimersStopWhenInvalidated) {
    QtMainScheduler main;
    std::vector<int> order;
    std::atomic<bool> offMain{false};
    std::atomic<int> orphanTicks{0};
    std::thread worker([&] {
        offMain = !main.isCurrent();
        for (int i = 0; i < 3; ++i)
            main.post([&order, i, &main] {
                EXPECT_TRUE(main.isCurrent());
                order.push_back(i);
            });
        main.scheduleRepeating(0.001, [&] { ++orphanTicks; });  // handle dropped
    });
    worker.join();
    EXPECT_TRUE(offMain);
    int once = 0, repeat = 0, cancelled = 0;
    auto oneShot = main.scheduleOnce(0.001, [&] { ++once; });
    main.scheduleOnce(0.001, [&] { ++cancelled; })->invalidate();
    std::shared_ptr<Timer> repeating;
    repeating = main.scheduleRepeating(0.001, [&] {
        if (++repeat == 3) repeating->invalidate();  // from inside its own task
    });
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return order.size() == 3 && once == 1 && repeat == 3 && orphanTicks >= 2; }, 5000));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(oneShot->isValid() || repeating->isValid());
    QTest::qWait(20);
    EXPECT_EQ(std::pair(repeat, cancelled), std::pair(3, 0));
}

// --- preferences -------------------------------------------------------------

TEST(QtPreferencesStore, ValuesKeepTheirTypeAndSuitesAreSeparateFilesSafeFromSeveralThreads) {
    test::TempDir dir;
    const std::string name = "Brighton & Hove Albion \u00e9";
    const std::vector<std::uint8_t> bytes{0, 1, 254, 255};
    const Preferences::StringList list{"a", "", "c,d", "\"q\""};
    const auto id = -9007199254740993LL;
    {
        QtPreferencesStore store(dir.path(), "Fixtora");
        auto p = store.standard();
        p->setString("name", name);
        p->setInteger("id", id);
        p->setData("blob", bytes);
        p->setStringList("list", list);
        store.suite("com.fixtora.analytics")->setInteger("sessions", 3);
    }
    QtPreferencesStore store(dir.path(), "Fixtora");
    auto p = store.standard();
    EXPECT_EQ(
        std::tuple(p->string("name"), p->integer("id"), p->data("blob"), p->stringList("list")),
        std::tuple(name, id, bytes, list));
    // Read as another type than written, or from another suite: nothing.
    EXPECT_FALSE(p->string("id") || p->integer("sessions"));
    EXPECT_EQ(store.suite("com.fixtora.analytics")->integer("sessions"), 3);
    EXPECT_TRUE(std::filesystem::exists(dir / "com.fixtora.analytics.conf"));

    SCOPED_TRACE("suite names that are not file names; several threads");
    for (const char* bad : {"", "../escape", "a/b", "a\\b", ".hidden"})
        EXPECT_THROW(store.suite(bad), std::invalid_argument) << bad;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 10; ++i) p->setInteger("k" + std::to_string(t), i);
        });
    for (auto& th : threads) th.join();
    for (int t = 0; t < 4; ++t) EXPECT_EQ(p->integer("k" + std::to_string(t)), 9);
}

TEST(QtPreferencesStore, CloseWritesAreGatheredAndUnwritableValuesAreWrittenLater) {
    test::TempDir dir;
    auto main = std::make_shared<ManualScheduler>();
    const auto file = dir / "com.fixtora.analytics.conf";
    const auto onDisk = [&](const std::string& text) {
        return std::filesystem::exists(file) &&
               test::readFile(file).find(text) != std::string::npos;
    };
    {
        QtPreferencesStore store(dir.path(), "Fixtora", main, 15);
        auto suite = store.suite("com.fixtora.analytics");
        suite->setInteger("duration", 1);  // after a quiet spell: written at once
        EXPECT_TRUE(onDisk("i:1"));
        for (int second = 2; second <= 14; ++second) {
            main->advance(1);
            suite->setInteger("duration", second);
        }
        suite->setString("gone", "x");
        suite->remove("gone");
        // Held back, yet read back at once.
        EXPECT_TRUE(suite->integer("duration") == 14 && !suite->string("gone") && !onDisk("i:14"));
        main->advance(2);  // the interval ends: everything gathered is written
        EXPECT_TRUE(onDisk("i:14") && !onDisk("gone"));
        suite->setInteger("duration", 32);
        EXPECT_FALSE(onDisk("i:32"));
    }  // the store's end writes what is still pending
    EXPECT_TRUE(onDisk("i:32"));

    SCOPED_TRACE("values that cannot be written stay readable and are written later");
    const auto folder = dir / "settings";
    test::writeFile(folder, "a file where the folder should be");
    QtPreferencesStore store(folder, "Fixtora", main, 15);
    auto prefs = store.standard();
    prefs->setString("fav_abbr", "ARS");
    EXPECT_EQ(prefs->string("fav_abbr"), "ARS");
    std::filesystem::remove(folder);
    std::filesystem::create_directories(folder);
    main->advance(15);
    EXPECT_NE(test::readFile(folder / "Fixtora.conf").find("s:ARS"), std::string::npos);
}

// --- images --------------------------------------------------------------------

std::string encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.toStdString();
}

TEST(QtImageDecoder, DecodesPicturesShrinkingBigOnesAndRefusesTheRest) {
    QImage red(7, 5, QImage::Format_ARGB32), crest(500, 400, QImage::Format_ARGB32);
    red.fill(Qt::red);
    crest.fill(Qt::blue);
    const std::string png = encoded(red, "PNG");
    for (const std::string& bad :
         {std::string(), std::string("<html>not found</html>"), png.substr(0, png.size() / 2)})
        EXPECT_EQ(QtImageDecoder().decode(bad), nullptr);
    // With a largest edge, big pictures shrink as they are decoded, aspect
    // kept; small ones stay as they are.
    for (const auto& [picture, size] :
         {std::pair{crest, QSize(96, 76)}, std::pair{red, QSize(7, 5)}}) {
        auto decoded = QtImageDecoder(96).decode(encoded(picture, "PNG"));
        EXPECT_EQ(decoded ? QSize(decoded->width(), decoded->height()) : QSize(), size);
    }
}

}  // namespace
