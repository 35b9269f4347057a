// SPDX-License-Identifier: MIT
#pragma once

#include "platform/AppLook.hpp"
#include "platform/Subscription.hpp"
#include "state/DateText.hpp"
#include "state/FixturesViewModel.hpp"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QAbstractButton;
class QKeySequence;
class QStackedWidget;

namespace fixtora {

class CentreMessage;
class ImageCache;
class MatchList;
class SymbolButton;
class TeamPicker;
class TextLabel;

/// The popup's root widget, 380 × 520: a header with the competition, the
/// displayed matchweek, a refresh button and the favourite-team button; a
/// middle area with the day-grouped matches, a loading or error message, or
/// the team picker; and a bar to move to the previous, current and next
/// matchweek. It keeps no data of its own: it redraws from the view model
/// after every change and every control calls the view model.
///
/// Keys: Left and Right go to the previous and next matchweek, Home to this
/// week; Tab moves through the buttons and rows, Space or Enter presses the
/// focused one. Every control carries an accessible name and description.
///
/// Object names: "title", "weekRange", "matchweek", "refresh", "favourite",
/// "previous", "thisWeek", "next"; the middle area is the QStackedWidget
/// "pages" whose current page is "message" (a CentreMessage), "matchList"
/// or "teamPicker".
class FixturesView final : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kWidth = kPopupWidth;
    static constexpr int kHeight = kPopupHeight;

    /// `images` may be null (crests stay placeholders). `dates` must match
    /// the view model's, for kick-off times.
    FixturesView(std::shared_ptr<FixturesViewModel> model, std::shared_ptr<ImageCache> images,
                 DateContext dates = {}, QWidget* parent = nullptr);
    ~FixturesView() override;

    bool showTeamPicker() const { return m_showTeamPicker; }
    void setShowTeamPicker(bool show);

    /// Redraws from the view model (done on every change it reports).
    void refreshFromModel();

  private:
    QWidget* makeHeader();
    QWidget* makeNavigationBar();
    void updateHeader();
    void updateNavigation();
    void updateContent();
    void addShortcut(const QKeySequence& key, QAbstractButton* button);
    void showMessage(const QString& text, bool spinner);
    void showMatchList(const std::vector<FixturesViewModel::DayGroup>& groups);
    void showPicker();
    void showPage(QWidget* page);

    std::shared_ptr<FixturesViewModel> m_model;
    std::shared_ptr<ImageCache> m_images;
    DateContext m_dates;
    Subscription m_subscription;
    bool m_showTeamPicker = false;

    TextLabel* m_title = nullptr;
    TextLabel* m_weekRange = nullptr;
    TextLabel* m_matchweek = nullptr;
    SymbolButton* m_refresh = nullptr;
    SymbolButton* m_favourite = nullptr;
    SymbolButton* m_previous = nullptr;
    SymbolButton* m_thisWeek = nullptr;
    SymbolButton* m_next = nullptr;

    QStackedWidget* m_pages = nullptr;
    CentreMessage* m_message = nullptr;
    // Made when shown and dropped when another page is: a list comes back
    // scrolled to the top with its rows collapsed.
    QPointer<MatchList> m_list;
    QPointer<TeamPicker> m_picker;
    /// The matchweek the list was built for.
    std::optional<int> m_listWeek;
};

}  // namespace fixtora
