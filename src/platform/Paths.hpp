// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

namespace fixtora {

/// Where the user's per-application files live.
class Paths {
  public:
    virtual ~Paths() = default;
    /// The user's caches folder (shared by all applications).
    virtual std::filesystem::path cachesDir() const = 0;
    /// The user's configuration folder (shared by all applications).
    virtual std::filesystem::path configDir() const = 0;
    /// The user's runtime folder, for sockets and locks.
    virtual std::filesystem::path runtimeDir() const = 0;
};

/// XDG base directories with the usual fallbacks ($HOME/.cache,
/// $HOME/.config, then the temporary folder).
class XdgPaths final : public Paths {
  public:
    std::filesystem::path cachesDir() const override;
    std::filesystem::path configDir() const override;
    std::filesystem::path runtimeDir() const override;
};

/// Everything under one root folder: for tests and tools.
class FixedPaths final : public Paths {
  public:
    explicit FixedPaths(std::filesystem::path root) : m_root(std::move(root)) {}
    std::filesystem::path cachesDir() const override { return m_root / "cache"; }
    std::filesystem::path configDir() const override { return m_root / "config"; }
    std::filesystem::path runtimeDir() const override { return m_root / "run"; }

  private:
    std::filesystem::path m_root;
};

}  // namespace fixtora
