// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace analytics {

/// An error that carries a stable identifier, reported as
/// "Analytics.Error.id".
class IdentifiableError {
  public:
    virtual ~IdentifiableError() = default;
    virtual std::string id() const = 0;
    /// The text shown to a person for this error.
    virtual std::string localizedDescription() const = 0;
};

}  // namespace analytics
