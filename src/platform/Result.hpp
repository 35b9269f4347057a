// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace fixtora {

/// A failure: the domain that produced it, a code and a user-visible text.
/// Transport and JSON errors keep their own description.
struct Error {
    std::string domain;
    int code = 0;
    std::string description;

    friend bool operator==(const Error&, const Error&) = default;
};

/// Either a value or an `Error`.
template <typename T>
class Result {
  public:
    Result(T value)
        : m_v(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit by design
    Result(Error error) : m_v(std::in_place_index<1>, std::move(error)) {}  // NOLINT

    bool ok() const { return m_v.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<0>(m_v); }
    T& value() & { return std::get<0>(m_v); }
    T&& value() && { return std::get<0>(std::move(m_v)); }
    const Error& error() const { return std::get<1>(m_v); }

  private:
    std::variant<T, Error> m_v;
};

/// For operations that yield nothing but may fail.
struct Unit {
    friend bool operator==(const Unit&, const Unit&) = default;
};

}  // namespace fixtora
