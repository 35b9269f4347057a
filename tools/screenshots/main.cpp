// SPDX-License-Identifier: MIT
// Renders the popup offscreen in its main states into PNG files, so that
// anyone can look at what a user sees:
//   fixtora-screenshots [output folder]   (default: <build>/screenshots)

#include "CrestImage.hpp"
#include "DemoClubs.hpp"
#include "ViewsTestSupport.hpp"

#include "data/ImageCache.hpp"
#include "platform/qt/QtImageDecoder.hpp"
#include "views/FixturesView.hpp"
#include "views/MatchList.hpp"
#include "views/MatchRowView.hpp"
#include "views/TextLabel.hpp"

#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QPixmap>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace fixtora;
using namespace fixtora::test;

namespace {

ESPNTeam demoTeam(const std::string& abbreviation) {
    const auto* club = demo::findDemoClub(abbreviation);
    ESPNTeam team;
    team.id = club->id;
    team.abbreviation = club->abbreviation;
    team.shortDisplayName = club->location;
    team.logo = "http://127.0.0.1:9/crests/" + club->abbreviation + ".png";
    return team;
}

/// Puts every demo crest in the cache's folder and waits until the cache
/// holds them in memory.
void loadCrests(PopupWorld& world) {
    std::vector<std::string> urls;
    const auto& clubs = demo::demoClubs();
    for (std::size_t i = 0; i < clubs.size(); ++i) {
        writeFile(world.images->cacheDir() / (clubs[i].abbreviation + ".png"),
                  demo::CrestImage::png(clubs[i], i));
        urls.push_back(*demoTeam(clubs[i].abbreviation).logo);
    }
    bool done = false;
    world.images->prefetch(urls, [&done] { done = true; });
    world.scheduler->runUntil([&done] { return done; });
}

/// A matchweek as it looks on a Saturday afternoon: results, two live
/// matches (one at half-time), kick-offs to come and a postponement.
std::vector<ESPNEvent> liveWeek(const PopupWorld& world, int gw) {
    auto t = [&](int day, double hour) {
        return world.week(gw).startDate + (day * 24 + hour) * 3600;
    };
    auto team = demoTeam;
    return {
        match({.id = "1",
               .kickOff = t(0, 19),
               .status = "STATUS_FULL_TIME",
               .home = team("BRA"),
               .away = team("CAS"),
               .homeScore = "2",
               .awayScore = "1",
               .details = {goal("12'", "Tom Hale", "9101"),
                           goal("45'+2'", "Jack Reyes", "9102", true),
                           goal("78'", "Sam Oduya", "9101")}}),
        match({.id = "2",
               .kickOff = t(1, 12.5),
               .status = "STATUS_FULL_TIME",
               .home = team("DOR"),
               .away = team("ELL"),
               .homeScore = "0",
               .awayScore = "0"}),
        match({.id = "3",
               .kickOff = t(1, 15),
               .status = "STATUS_SECOND_HALF",
               .home = team("FRO"),
               .away = team("GRA"),
               .homeScore = "2",
               .awayScore = "1",
               .shortDetail = "67'",
               .details = {goal("23'", "Luca Brandt", "9105"),
                           goal("41'", "Owen Pike", "9106", false, true),
                           goal("58'", "Ben Carver", "9106", true)}}),
        match({.id = "4",
               .kickOff = t(1, 15),
               .status = "STATUS_HALFTIME",
               .home = team("HAR"),
               .away = team("ILK"),
               .homeScore = "1",
               .awayScore = "1",
               .shortDetail = "Halftime"}),
        match({.id = "5",
               .kickOff = t(1, 17.5),
               .status = "STATUS_SCHEDULED",
               .home = team("KEN"),
               .away = team("LUD")}),
        match({.id = "6",
               .kickOff = t(2, 14),
               .status = "STATUS_SCHEDULED",
               .home = team("MAL"),
               .away = team("NEW")}),
        match({.id = "7",
               .kickOff = t(2, 16.5),
               .status = "STATUS_POSTPONED",
               .home = team("OTL"),
               .away = team("PEN")}),
        match({.id = "8",
               .kickOff = t(3, 20),
               .status = "STATUS_SCHEDULED",
               .home = team("RIP"),
               .away = team("SKI")}),
        match({.id = "9",
               .kickOff = t(3, 20),
               .status = "STATUS_SCHEDULED",
               .home = team("THI"),
               .away = team("ULV")}),
        match({.id = "10",
               .kickOff = t(4, 20),
               .status = "STATUS_SCHEDULED",
               .home = team("WHI"),
               .away = team("YAR")}),
    };
}

QPalette darkPalette() {
    QPalette p;
    const QColor window(0x2B, 0x2B, 0x2E);
    const QColor text(0xEC, 0xEC, 0xEE);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x20));
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(0x0A, 0x84, 0xFF));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    return p;
}

bool save(FixturesView& view, const QDir& folder, const QString& name) {
    view.show();
    QApplication::processEvents();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    const bool ok = view.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QPalette light = QApplication::style()->standardPalette();
    QApplication::setPalette(light);

    const QString out =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(FIXTORA_SCREENSHOT_DIR);
    QDir folder(out);
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out));
        return 1;
    }
    auto decoder = std::make_shared<QtImageDecoder>();
    bool ok = true;

    {  // Loading: the season table has not arrived yet.
        PopupWorld world({.crestDecoder = decoder});
        FixturesView view(world.model, world.images, PopupWorld::kDates);
        ok &= save(view, folder, QStringLiteral("loading"));
    }
    {  // The season table could not be loaded.
        PopupWorld world({.scheduleFails = true});
        world.settle();
        FixturesView view(world.model, world.images, PopupWorld::kDates);
        ok &= save(view, folder, QStringLiteral("schedule-error"));
    }
    auto liveState = [&](const QString& name, const QPalette& palette, int scroll) {
        QApplication::setPalette(palette);
        PopupWorld world({.favourite = demoTeam("FRO"), .crestDecoder = decoder});
        loadCrests(world);
        world.settle();
        FixturesView view(world.model, world.images, PopupWorld::kDates);
        world.answer(12, liveWeek(world, 12));
        if (auto* list = view.findChild<MatchList*>(QStringLiteral("matchList"))) {
            if (auto* row = list->row("3")) row->setShowScorers(true, false);
            if (scroll > 0) {
                // Lay the list out first, so that there is something to scroll.
                view.show();
                QApplication::processEvents();
                list->verticalScrollBar()->setValue(scroll);
            }
        }
        ok &= save(view, folder, name);
        QApplication::setPalette(light);
    };
    liveState(QStringLiteral("live-matchweek"), light, 0);
    liveState(QStringLiteral("live-matchweek-dark"), darkPalette(), 0);
    // Scrolled so that a day's header is pinned over its rows.
    liveState(QStringLiteral("live-matchweek-scrolled"), light, 150);
    {  // Picking a favourite.
        PopupWorld world({.favourite = demoTeam("FRO"), .crestDecoder = decoder});
        loadCrests(world);
        world.settle();
        world.answer(12, liveWeek(world, 12));
        FixturesView view(world.model, world.images, PopupWorld::kDates);
        view.setShowTeamPicker(true);
        ok &= save(view, folder, QStringLiteral("team-picker"));
    }
    {  // A matchweek without matches.
        PopupWorld world({.crestDecoder = decoder});
        world.settle();
        world.answer(12, std::vector<ESPNEvent>{});
        FixturesView view(world.model, world.images, PopupWorld::kDates);
        ok &= save(view, folder, QStringLiteral("no-matches"));
    }
    return ok ? 0 : 1;
}
