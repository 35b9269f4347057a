// SPDX-License-Identifier: MIT
#pragma once

#include "platform/AppLook.hpp"
#include "platform/Subscription.hpp"
#include "state/DateText.hpp"
#include "state/FixturesViewModel.hpp"
#include "platform/Subscription.hpp"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QAbstractButton;
class QKeySequence;
class QVBoxLayout;

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
class FixturesView final : public QWidget {
  public:
    static constexpr int kWidth = kPopupWidth;
    static constexpr int kHeight = kPopupHeight;

    /// What the middle area shows.
    enum class Content { Message, MatchList, TeamPicker };

    /// `images` may be null (crests stay placeholders). `dates` must match
    /// the view model's, for kick-off times.
    FixturesView(std::shared_ptr<FixturesViewModel> model, std::shared_ptr<ImageCache> images,
                 DateContext dates = {}, QWidget* parent = nullptr);
    ~FixturesView() override;

    bool showTeamPicker() const { return m_showTeamPicker; }
    void setShowTeamPicker(bool show);

    /// Redraws from the view model (done on every change it reports).
    void refreshFromModel();

    // Parts, for inspection.
    Content content() const { return m_content; }
    /// The message shown in the middle, or null.
    CentreMessage* centreMessage() const;
    MatchList* matchList() const;
    TeamPicker* teamPicker() const;
    TextLabel* titleLabel() const { return m_title; }
    TextLabel* weekRangeLabel() const { return m_weekRange; }
    TextLabel* matchweekLabel() const { return m_matchweek; }
    SymbolButton* refreshButton() const { return m_refresh; }
    SymbolButton* favouriteButton() const { return m_favourite; }
    SymbolButton* previousButton() const { return m_previous; }
    SymbolButton* thisWeekButton() const { return m_thisWeek; }
    SymbolButton* nextButton() const { return m_next; }

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
    void replaceMiddle(QWidget* widget, Content content);

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

    QWidget* m_middleArea = nullptr;
    QVBoxLayout* m_middleLayout = nullptr;
    QPointer<QWidget> m_middle;
    Content m_content = Content::Message;
    /// The matchweek the shown list was built for.
    std::optional<int> m_listWeek;
};

}  // namespace fixtora
