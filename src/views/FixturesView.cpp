// SPDX-License-Identifier: MIT
#include "views/FixturesView.hpp"

#include "state/FixturesViewModel.hpp"
#include "views/CentreMessage.hpp"
#include "views/Divider.hpp"
#include "views/MatchList.hpp"
#include "views/SymbolButton.hpp"
#include "views/TeamPicker.hpp"
#include "views/TextLabel.hpp"
#include "views/Theme.hpp"

#include <QHBoxLayout>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace fixtora {

namespace {

constexpr int kBarHorizontalPadding = 14;
constexpr int kHeaderVerticalPadding = 10;
constexpr int kNavigationVerticalPadding = 9;
constexpr int kBarSpacing = 8;
constexpr int kTitleSpacing = 1;
constexpr double kRefreshSymbolSize = 12;
constexpr double kFavouriteSymbolSize = 13;
constexpr int kNavigationSpacing = 4;

const QString kWarningPrefix = QStringLiteral("\u26A0\uFE0F  ");

/// Drops a page that is no longer shown. It may be mid-way through
/// handling the click that led here: hidden now, deleted afterwards.
template <typename Page>
void drop(QStackedWidget* pages, QPointer<Page>& page) {
    if (!page) return;
    pages->removeWidget(page);
    page->hide();
    page->deleteLater();
    page = nullptr;
}

}  // namespace

FixturesView::FixturesView(std::shared_ptr<FixturesViewModel> model,
                           std::shared_ptr<ImageCache> images, DateContext dates, QWidget* parent)
    : QWidget(parent),
      m_model(std::move(model)),
      m_images(std::move(images)),
      m_dates(std::move(dates)) {
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeHeader());
    column->addWidget(new Divider(0, this));
    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_message = new CentreMessage(QString(), false, m_pages);
    m_message->setObjectName(QStringLiteral("message"));
    m_pages->addWidget(m_message);
    column->addWidget(m_pages, 1);
    column->addWidget(new Divider(0, this));
    column->addWidget(makeNavigationBar());

    addShortcut(QKeySequence(Qt::Key_Left), m_previous);
    addShortcut(QKeySequence(Qt::Key_Right), m_next);
    addShortcut(QKeySequence(Qt::Key_Home), m_thisWeek);

    m_subscription = m_model->subscribe([this] { refreshFromModel(); });
    refreshFromModel();
}

FixturesView::~FixturesView() = default;

void FixturesView::addShortcut(const QKeySequence& key, QAbstractButton* button) {
    // Ahead of the focused control, which would take the arrows for itself.
    auto* shortcut = new QShortcut(key, this);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, button, [button] {
        if (button->isEnabled()) button->click();
    });
}

QWidget* FixturesView::makeHeader() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(kBarHorizontalPadding, kHeaderVerticalPadding, kBarHorizontalPadding,
                            kHeaderVerticalPadding);
    row->setSpacing(kBarSpacing);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(kTitleSpacing);
    m_title = new TextLabel(Theme::headline(), Theme::Colour::Primary, bar);
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setDisplayText(QString::fromUtf8(kTitlePrefix.data(), kTitlePrefix.size()) +
                            tr("Premier League"));
    titles->addWidget(m_title);
    m_weekRange = new TextLabel(Theme::caption(), Theme::Colour::Secondary, bar);
    m_weekRange->setObjectName(QStringLiteral("weekRange"));
    titles->addWidget(m_weekRange);
    row->addLayout(titles);
    row->addStretch(1);

    m_matchweek = new TextLabel(Theme::subheadline(QFont::DemiBold), Theme::Colour::Primary, bar);
    m_matchweek->setObjectName(QStringLiteral("matchweek"));
    row->addWidget(m_matchweek);

    m_refresh = new SymbolButton(bar);
    m_refresh->setObjectName(QStringLiteral("refresh"));
    m_refresh->setSymbol(Symbol::ArrowClockwise);
    m_refresh->setSymbolSize(kRefreshSymbolSize);
    m_refresh->setColourRole(Theme::Colour::Secondary);
    m_refresh->setToolTip(tr("Refresh"));
    m_refresh->setAccessibleName(tr("Refresh"));
    m_refresh->setAccessibleDescription(tr("Loads the matchweek's scores again"));
    connect(m_refresh, &QAbstractButton::clicked, this, [this] { m_model->refresh(); });
    row->addWidget(m_refresh);

    m_favourite = new SymbolButton(bar);
    m_favourite->setObjectName(QStringLiteral("favourite"));
    m_favourite->setSymbolSize(kFavouriteSymbolSize);
    connect(m_favourite, &QAbstractButton::clicked, this,
            [this] { setShowTeamPicker(!m_showTeamPicker); });
    row->addWidget(m_favourite);
    return bar;
}

QWidget* FixturesView::makeNavigationBar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(kBarHorizontalPadding, kNavigationVerticalPadding,
                            kBarHorizontalPadding, kNavigationVerticalPadding);

    m_previous = new SymbolButton(bar);
    m_previous->setObjectName(QStringLiteral("previous"));
    m_previous->setFont(Theme::callout());
    m_previous->setSymbol(Symbol::ChevronLeft);
    m_previous->setSymbolSize(Theme::kCalloutSize);
    m_previous->setSpacing(kNavigationSpacing);
    connect(m_previous, &QAbstractButton::clicked, this, [this] { m_model->prevGW(); });
    row->addWidget(m_previous);
    row->addStretch(1);

    m_thisWeek = new SymbolButton(bar);
    m_thisWeek->setObjectName(QStringLiteral("thisWeek"));
    m_thisWeek->setFont(Theme::callout(QFont::Medium));
    m_thisWeek->setText(tr("This Week"));
    connect(m_thisWeek, &QAbstractButton::clicked, this, [this] { m_model->goToCurrentGW(); });
    row->addWidget(m_thisWeek);
    row->addStretch(1);

    m_next = new SymbolButton(bar);
    m_next->setObjectName(QStringLiteral("next"));
    m_next->setFont(Theme::callout());
    m_next->setSymbol(Symbol::ChevronRight);
    m_next->setSymbolSide(SymbolButton::SymbolSide::Trailing);
    m_next->setSymbolSize(Theme::kCalloutSize);
    m_next->setSpacing(kNavigationSpacing);
    connect(m_next, &QAbstractButton::clicked, this, [this] { m_model->nextGW(); });
    row->addWidget(m_next);
    return bar;
}

void FixturesView::setShowTeamPicker(bool show) {
    if (m_showTeamPicker == show) return;
    m_showTeamPicker = show;
    refreshFromModel();
}

void FixturesView::refreshFromModel() {
    updateHeader();
    updateNavigation();
    updateContent();
}

void FixturesView::updateHeader() {
    const std::string range = m_model->weekRangeLabel();
    m_weekRange->setDisplayText(QString::fromStdString(range));
    m_weekRange->setVisible(!range.empty() && !m_showTeamPicker);
    m_matchweek->setDisplayText(tr("Matchweek %1").arg(m_model->currentGW()));
    m_matchweek->setVisible(!m_showTeamPicker);
    m_refresh->setVisible(!m_showTeamPicker);

    const bool hasFavourite = m_model->favouriteTeam().has_value();
    if (m_showTeamPicker) {
        m_favourite->setSymbol(Symbol::XmarkCircle);
    } else {
        m_favourite->setSymbol(hasFavourite ? Symbol::StarFill : Symbol::Star);
    }
    m_favourite->setColourRole(hasFavourite && !m_showTeamPicker ? Theme::Colour::Yellow
                                                                 : Theme::Colour::Secondary);
    const QString tip = m_showTeamPicker ? tr("Close team picker") : tr("Pick favourite team");
    m_favourite->setToolTip(tip);
    m_favourite->setAccessibleName(tip);
    const auto& favourite = m_model->favouriteTeam();
    m_favourite->setAccessibleDescription(
        favourite ? tr("Favourite: %1").arg(QString::fromStdString(favourite->shortDisplayName))
                  : tr("No favourite team"));
}

void FixturesView::updateNavigation() {
    const int gw = m_model->currentGW();
    m_previous->setText(tr("MW %1").arg(gw - 1));
    m_previous->setEnabled(gw >= 2);
    m_previous->setAccessibleName(tr("Previous matchweek, %1").arg(gw - 1));
    m_previous->setAccessibleDescription(tr("Left arrow"));
    const bool atLiveWeek = gw == m_model->liveGW();
    m_thisWeek->setColourRole(atLiveWeek ? Theme::Colour::Secondary : Theme::Colour::Accent);
    m_thisWeek->setEnabled(!atLiveWeek);
    m_thisWeek->setAccessibleName(tr("This week, matchweek %1").arg(m_model->liveGW()));
    m_thisWeek->setAccessibleDescription(tr("Home key"));
    m_next->setText(tr("MW %1").arg(gw + 1));
    m_next->setEnabled(gw < m_model->totalGWs());
    m_next->setAccessibleName(tr("Next matchweek, %1").arg(gw + 1));
    m_next->setAccessibleDescription(tr("Right arrow"));
}

void FixturesView::updateContent() {
    if (m_showTeamPicker) {
        showPicker();
        return;
    }
    const auto& model = *m_model;
    if (model.isLoadingSchedule()) {
        showMessage(tr("Loading schedule\u2026"), true);
    } else if (model.isFetchingMatches() && model.events().empty()) {
        showMessage(tr("Loading matches\u2026"), true);
    } else if (model.scheduleError()) {
        showMessage(kWarningPrefix + QString::fromStdString(*model.scheduleError()), false);
    } else if (model.matchError() && model.events().empty()) {
        showMessage(kWarningPrefix + QString::fromStdString(*model.matchError()), false);
    } else if (auto groups = model.groupedEvents(); !groups.empty()) {
        showMatchList(groups);
    } else {
        showMessage(tr("No matches for Matchweek %1").arg(model.currentGW()), false);
    }
}

void FixturesView::showMessage(const QString& text, bool spinner) {
    m_message->setMessage(text, spinner);
    showPage(m_message);
}

void FixturesView::showMatchList(const std::vector<FixturesViewModel::DayGroup>& groups) {
    const int week = m_model->currentGW();
    const auto favourite = m_model->favouriteTeam();
    const std::optional<std::string> favouriteId =
        favourite ? std::optional(favourite->id) : std::nullopt;
    // Another matchweek gets a new list: scrolled to the top, rows collapsed.
    if (!m_list || m_listWeek != week) {
        drop(m_pages, m_list);
        m_list = new MatchList(m_images, m_dates, m_pages);
        m_list->setObjectName(QStringLiteral("matchList"));
        m_pages->addWidget(m_list);
        m_listWeek = week;
    }
    m_list->setGroups(groups, favouriteId);
    showPage(m_list);
}

void FixturesView::showPicker() {
    if (!m_picker) {
        m_picker = new TeamPicker(m_images, m_pages);
        m_picker->setObjectName(QStringLiteral("teamPicker"));
        connect(m_picker, &TeamPicker::teamChosen, this, [this](const ESPNTeam& team) {
            m_model->toggleFavourite(team);
            setShowTeamPicker(false);
        });
        connect(m_picker, &TeamPicker::removeRequested, this, [this] {
            m_model->setFavouriteTeam(std::nullopt);
            setShowTeamPicker(false);
        });
        m_pages->addWidget(m_picker);
    }
    m_picker->setTeams(m_model->knownTeams(), m_model->favouriteTeam());
    showPage(m_picker);
}

void FixturesView::showPage(QWidget* page) {
    m_pages->setCurrentWidget(page);
    if (page != m_list) {
        drop(m_pages, m_list);
        m_listWeek.reset();
    }
    if (page != m_picker) drop(m_pages, m_picker);
}

}  // namespace fixtora
