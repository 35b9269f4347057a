// SPDX-License-Identifier: MIT
// The popup's root widget against a real view model in virtual time.

#include "ViewsTestSupport.hpp"

#include "views/CentreMessage.hpp"
#include "views/DayHeader.hpp"
#include "views/FixturesView.hpp"
#include "views/MatchList.hpp"
#include "views/MatchRowView.hpp"
#include "views/PlainButton.hpp"
#include "views/SymbolButton.hpp"
#include "views/TeamPicker.hpp"
#include "views/TextLabel.hpp"

#include <QAccessible>
#include <QApplication>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace fixtora::test {
namespace {

/// `count` matches of week `gw`, two a day, alternating results and fixtures.
std::vector<ESPNEvent> weekEvents(const PopupWorld& world, int gw, int count = 4,
                                  const std::string& homeScore = "1") {
    const std::string clubs = "ARSAVLBOUBREBHACHECRYEVEFULIPSLEILIVMCIMUN";
    std::vector<ESPNEvent> events;
    for (int i = 0; i < count; ++i) {
        const bool played = i % 2 == 0;
        using Score = std::optional<std::string>;
        events.push_back(
            match({std::to_string(gw * 100 + i),
                   world.week(gw).startDate + (i / 2) * 86400 + (12.5 + i) * 3600,
                   played ? "STATUS_FULL_TIME" : "STATUS_SCHEDULED",
                   club(clubs.substr(6 * i % 42, 3)), club(clubs.substr((6 * i + 3) % 42, 3)),
                   played ? Score(homeScore) : Score(), played ? Score("0") : Score()}));
    }
    return events;
}

PlainButton* tapTarget(MatchRowView* row) {
    return row->findChild<PlainButton*>(QStringLiteral("row"));
}

/// The club rows of the picker, in order.
std::vector<PlainButton*> teamRows(TeamPicker* picker) {
    std::vector<PlainButton*> rows;
    for (auto* button : picker->findChildren<PlainButton*>())
        if (button->objectName().startsWith(QStringLiteral("team:"))) rows.push_back(button);
    return rows;
}

class FixturesViewTest : public ::testing::Test {
  public:
    void make(PopupWorld::Options options = {}) {
        view.reset();
        world = std::make_unique<PopupWorld>(options);
        view = std::make_unique<FixturesView>(world->model, nullptr, PopupWorld::kDates);
    }
    void showWeek() {
        make();
        view->show();
        world->answer(12, weekEvents(*world, 12, 14));
        QApplication::processEvents();
    }
    bool visible(QWidget* widget) const { return widget->isVisibleTo(view.get()); }
    template <typename T>
    T* part(const char* name) const {
        return view->findChild<T*>(QString::fromLatin1(name));
    }
    // A page dropped for another waits for its deletion in the stack: only
    // the current one counts.
    QWidget* current() const { return part<QStackedWidget>("pages")->currentWidget(); }
    QString page() const { return current()->objectName(); }
    CentreMessage* message() const { return dynamic_cast<CentreMessage*>(current()); }
    MatchList* shownList() const { return dynamic_cast<MatchList*>(current()); }
    TeamPicker* shownPicker() const { return dynamic_cast<TeamPicker*>(current()); }

    std::unique_ptr<PopupWorld> world;
    std::unique_ptr<FixturesView> view;
};

// What the middle area shows: the first rule that holds decides.
TEST_F(FixturesViewTest, ShowsWhatTheStateCallsFor) {
    enum Step { Nothing, NoSchedule, Settle, RefreshFails, Empty, Undated };
    const char* const empty = "No matches for Matchweek 12";
    const std::tuple<Step, const char*, bool> cases[] = {
        // no text: the match list
        {Nothing, "Loading schedule\u2026", true},
        {Settle, "Loading matches\u2026", true},
        {NoSchedule, "\u26A0\uFE0F  The Internet connection appears to be offline.", false},
        {RefreshFails, nullptr, false},
        {Empty, empty, false},
        {Undated, empty, false}};
    for (const auto& [step, text, spinner] : cases) {
        SCOPED_TRACE(step);
        make({.scheduleFails = step == NoSchedule});
        if (step != Nothing) world->settle();
        if (step == RefreshFails) {
            world->answer(12, weekEvents(*world, 12));
            world->model->refresh();
            world->answer(12, Error{"APIClient", 500, "Server returned HTTP 503"});
        }
        if (step == Empty) world->answer(12, std::vector<ESPNEvent>{});
        if (step == Undated) world->answer(12, std::vector{match({.unparsableDate = true})});
        if (step != Nothing) world->settle();
        ASSERT_EQ(page(), text ? "message" : "matchList");
        if (text) {
            EXPECT_EQ(std::tuple(message()->text(), message()->hasSpinner()),
                      std::tuple(QString::fromUtf8(text), spinner));
        }
        // The week's dates show only when the schedule knows the week.
        EXPECT_TRUE(step == Nothing ||
                    visible(part<TextLabel>("weekRange")) == (step != NoSchedule));
    }
}

TEST_F(FixturesViewTest, ButtonsCallTheModelAndTheListFollowsItsGroups) {
    make();
    world->settle();
    std::vector<int> weeks;
    for (const char* button : {"next", "thisWeek", "previous"}) {
        part<SymbolButton>(button)->click();
        weeks.push_back(world->model->currentGW());
    }
    EXPECT_EQ(std::tuple(weeks, part<TextLabel>("matchweek")->displayText()),
              std::tuple(std::vector{13, 12, 11}, QStringLiteral("Matchweek 11")));

    world->answer(11, weekEvents(*world, 11, 5));
    EXPECT_EQ(part<TextLabel>("weekRange")->displayText().toStdString(),
              world->model->weekRangeLabel());
    std::string want, got;
    for (const auto& group : world->model->groupedEvents()) want += group.label + "|";
    for (auto* header : shownList()->headers()) got += header->label().toStdString() + "|";
    for (auto* row : shownList()->rows()) got += row->event().id + " ";
    EXPECT_EQ(got, want + "1100 1101 1102 1103 1104 ");

    const int before = world->fetcher->requestCount;
    part<SymbolButton>("refresh")->click();
    EXPECT_GT(world->fetcher->requestCount, before);
}

QString spoken(QWidget* widget, QAccessible::Text what = QAccessible::Name) {
    return QAccessible::queryAccessibleInterface(widget)->text(what);
}

TEST_F(FixturesViewTest, KeysMoveBetweenWeeksTabReachesRowsAndEnterOrSpaceExpands) {
    showWeek();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    part<SymbolButton>("refresh")->setFocus();
    const std::pair<Qt::Key, int> steps[] = {
        {Qt::Key_Right, 13}, {Qt::Key_Left, 12}, {Qt::Key_Left, 11}, {Qt::Key_Home, 12}};
    for (const auto& [key, week] : steps) {
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(world->model->currentGW(), week) << key;
    }
    part<SymbolButton>("refresh")->setFocus();
    EXPECT_EQ(spoken(part<SymbolButton>("previous")) + "|" + spoken(part<SymbolButton>("next")) +
                  "|" + spoken(part<SymbolButton>("favourite"), QAccessible::Description),
              QStringLiteral("Previous matchweek, 11|Next matchweek, 13|No favourite team"));

    // Tab goes through every control and row; the list follows the focus.
    world->settle();
    QApplication::processEvents();
    auto* list = shownList();
    QWidget* last = tapTarget(list->rows().back());
    bool reachedNext = false;
    for (int i = 0; i < 40 && QApplication::focusWidget() != last; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reachedNext = reachedNext || QApplication::focusWidget() == part<SymbolButton>("next");
    }
    ASSERT_EQ(QApplication::focusWidget(), last);
    EXPECT_TRUE(reachedNext && list->scrollPosition() > 0);

    auto* finished = tapTarget(list->row("1200"));
    finished->setFocus();
    QTest::keyClick(finished, Qt::Key_Return);
    EXPECT_TRUE(list->row("1200")->showScorers());
    QTest::keyClick(finished, Qt::Key_Space);
    EXPECT_FALSE(list->row("1200")->showScorers());
    QTest::keyClick(tapTarget(list->row("1201")), Qt::Key_Return);  // nothing to expand
    EXPECT_FALSE(list->row("1201")->showScorers());
}

TEST_F(FixturesViewTest, ChoosingInThePickerClosesIt) {
    // favourite before, the team row tapped (none: the remove row), favourite after
    using Club = std::optional<std::string>;
    const std::tuple<Club, Club, Club> flows[] = {{{}, "BOU", "id-BOU"},  // choose
                                                  {"ARS", {}, {}}};       // remove
    for (const auto& [before, tap, after] : flows) {
        SCOPED_TRACE(before.value_or("-") + " " + tap.value_or("-"));
        make({.favourite = before ? std::optional(club(*before)) : std::nullopt});
        world->settle();
        auto* button = part<SymbolButton>("favourite");
        button->click();
        auto* picker = shownPicker();
        ASSERT_NE(picker, nullptr);
        EXPECT_EQ(std::tuple(view->showTeamPicker(), button->symbol(), picker->isLoading()),
                  std::tuple(true, Symbol::XmarkCircle, true))
            << "it waits for teams";
        world->answer(12, weekEvents(*world, 12));
        picker = shownPicker();
        ASSERT_EQ(teamRows(picker).size(), world->model->knownTeams().size());
        // Only a favourite has a remove row.
        auto* target = picker->findChild<PlainButton*>(QStringLiteral("removeFavourite"));
        EXPECT_EQ(target != nullptr, before.has_value());
        for (auto* row : teamRows(picker))
            if (row->objectName().mid(5).toStdString() == tap) target = row;
        ASSERT_NE(target, nullptr);
        QTest::mouseClick(target, Qt::LeftButton);
        world->settle();
        const auto& favourite = world->model->favouriteTeam();
        EXPECT_EQ(std::tuple(view->showTeamPicker(), page(), favourite ? favourite->id : "-",
                             button->symbol()),
                  std::tuple(false, "matchList", after.value_or("-"),
                             after ? Symbol::StarFill : Symbol::Star));
        QApplication::processEvents();  // the closed picker is disposed of without trouble
    }
}

TEST_F(FixturesViewTest, RefreshKeepsRowsExpandedAndTheScrollPositionAnotherWeekStartsAfresh) {
    showWeek();
    auto* list = shownList();
    auto* first = list->row("1200");
    first->tap();
    ASSERT_TRUE(first->showScorers());
    list->verticalScrollBar()->setValue(40);
    ASSERT_EQ(list->scrollPosition(), 40);

    world->model->refresh();
    world->answer(12, weekEvents(*world, 12, 14, "3"));  // a goal since
    QApplication::processEvents();
    EXPECT_EQ(std::tuple(shownList(), list->row("1200"), first->showScorers(), first->centreText(),
                         list->scrollPosition()),
              std::tuple(list, first, true, QStringLiteral("3  \u2013  0"), 40));

    // A favourite chosen meanwhile is a change of data too.
    world->model->setFavouriteTeam(club("ARS"));
    EXPECT_EQ(std::tuple(list->row("1200"), first->isFavouriteMatch()), std::tuple(first, true));

    // Another matchweek starts a fresh list, also on coming back.
    list->setProperty("old", true);  // the old list may be gone, its address reused
    part<SymbolButton>("next")->click();
    world->answer(13, weekEvents(*world, 13, 14));
    part<SymbolButton>("previous")->click();  // week 12 again, from the view model's cache
    QApplication::processEvents();
    auto* fresh = shownList();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(std::tuple(fresh->property("old").isValid(), fresh->scrollPosition(),
                         fresh->row("1200")->showScorers()),
              std::tuple(false, 0, false));
}

}  // namespace
}  // namespace fixtora::test
