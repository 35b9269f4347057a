// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

namespace fixtora::test {

/// A fresh folder under the system's temporary folder, removed with its
/// contents on destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

  private:
    std::filesystem::path m_path;
};

/// Whole-file helpers for tests.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

/// A file of the repository's test data (tests/data/files).
std::filesystem::path testDataPath(const std::string& relative);

}  // namespace fixtora::test
