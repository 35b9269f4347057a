// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QWidget>

namespace fixtora {

class ActivitySpinner;
class TextLabel;

/// A message in the centre of the popup's middle area, with an optional
/// spinner above it: loading, errors and empty matchweeks.
class CentreMessage final : public QWidget {
  public:
    CentreMessage(const QString& text, bool spinner, QWidget* parent = nullptr);

    void setMessage(const QString& text, bool spinner);
    const QString& text() const { return m_text; }
    bool hasSpinner() const { return m_hasSpinner; }

  private:
    TextLabel* m_label = nullptr;
    ActivitySpinner* m_spinner = nullptr;
    bool m_hasSpinner = false;
    QString m_text;
};

}  // namespace fixtora
