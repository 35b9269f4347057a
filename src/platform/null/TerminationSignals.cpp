// SPDX-License-Identifier: MIT
#include "platform/qt/TerminationSignals.hpp"

namespace fixtora {

// Systems without POSIX signals end the process through the application's
// own quit paths only.
struct TerminationSignals::State {};

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}

TerminationSignals::~TerminationSignals() = default;

bool TerminationSignals::isActive() const {
    return false;
}

}  // namespace fixtora
