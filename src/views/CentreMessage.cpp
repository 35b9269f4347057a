// SPDX-License-Identifier: MIT
#include "views/CentreMessage.hpp"

#include "views/ActivitySpinner.hpp"
#include "views/TextLabel.hpp"
#include "views/Theme.hpp"

#include <QVBoxLayout>

namespace fixtora {

namespace {
constexpr int kSpacing = 8;
constexpr int kSideMargin = 24;
constexpr double kSpinnerScale = 0.9;
}  // namespace

CentreMessage::CentreMessage(const QString& text, bool spinner, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kSideMargin, 0, kSideMargin, 0);
    layout->setSpacing(kSpacing);
    layout->addStretch(1);
    m_spinner = new ActivitySpinner(kSpinnerScale, this);
    layout->addWidget(m_spinner, 0, Qt::AlignHCenter);
    m_label = new TextLabel(Theme::callout(), Theme::Colour::Secondary, this);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    layout->addWidget(m_label);
    layout->addStretch(1);
    setMessage(text, spinner);
}

void CentreMessage::setMessage(const QString& text, bool spinner) {
    m_text = text;
    m_label->setDisplayText(text);
    m_hasSpinner = spinner;
    m_spinner->setVisible(spinner);
}

}  // namespace fixtora
