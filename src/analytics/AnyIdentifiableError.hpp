// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/IdentifiableError.hpp"
#include "platform/Result.hpp"

#include <exception>
#include <string>

namespace analytics {

/// Any error given an identifier (see `with`).
class AnyIdentifiableError final : public IdentifiableError {
  public:
    AnyIdentifiableError(std::string id, fixtora::Error error)
        : m_id(std::move(id)), m_error(std::move(error)) {}

    std::string id() const override { return m_id; }
    const fixtora::Error& error() const { return m_error; }
    /// The wrapped error's description.
    std::string errorDescription() const { return m_error.description; }
    std::string localizedDescription() const override { return errorDescription(); }

  private:
    std::string m_id;
    fixtora::Error m_error;
};

/// `error` with the identifier `id`.
inline AnyIdentifiableError with(const fixtora::Error& error, std::string id) {
    return AnyIdentifiableError(std::move(id), error);
}

/// An exception with the identifier `id`; its description is `what()`.
inline AnyIdentifiableError with(const std::exception& exception, std::string id) {
    return AnyIdentifiableError(std::move(id), fixtora::Error{"exception", 0, exception.what()});
}

}  // namespace analytics
