// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace fixtora {

/// One suite of typed key/value preferences. Safe to use from any thread.
/// Reading a key as another type than it was written gives nothing.
class Preferences {
  public:
    using Bytes = std::vector<std::uint8_t>;
    using StringList = std::vector<std::string>;

    virtual ~Preferences() = default;

    virtual std::optional<std::string> string(const std::string& key) const = 0;
    virtual std::optional<std::int64_t> integer(const std::string& key) const = 0;
    virtual std::optional<double> real(const std::string& key) const = 0;
    virtual std::optional<bool> boolean(const std::string& key) const = 0;
    virtual std::optional<Bytes> data(const std::string& key) const = 0;
    virtual std::optional<StringList> stringList(const std::string& key) const = 0;

    virtual void setString(const std::string& key, const std::string& value) = 0;
    virtual void setInteger(const std::string& key, std::int64_t value) = 0;
    virtual void setReal(const std::string& key, double value) = 0;
    virtual void setBoolean(const std::string& key, bool value) = 0;
    virtual void setData(const std::string& key, const Bytes& value) = 0;
    virtual void setStringList(const std::string& key, const StringList& value) = 0;
    virtual void remove(const std::string& key) = 0;

    /// String values to set, or to remove (nothing), together.
    using StringChanges = std::vector<std::pair<std::string, std::optional<std::string>>>;
    /// Sets and removes `changes` in one write that is stored before this
    /// returns, whatever writes the suite otherwise holds back: values that
    /// only make sense together never reach the disk in part.
    virtual void commitStrings(const StringChanges& changes) {
        for (const auto& [key, value] : changes) {
            if (value) {
                setString(key, *value);
            } else {
                remove(key);
            }
        }
    }
};

/// Gives the application's standard suite and named suites.
class PreferencesStore {
  public:
    virtual ~PreferencesStore() = default;
    virtual std::shared_ptr<Preferences> standard() = 0;
    virtual std::shared_ptr<Preferences> suite(const std::string& name) = 0;
    /// Writes any values that the store still holds back. Stores that write
    /// through have nothing to do.
    virtual void flush() {}
};

/// Preferences held in memory only: for tests and tools.
class InMemoryPreferences final : public Preferences {
  public:
    using Value = std::variant<std::string, std::int64_t, double, bool, Bytes, StringList>;

    std::optional<std::string> string(const std::string& key) const override {
        return get<std::string>(key);
    }
    std::optional<std::int64_t> integer(const std::string& key) const override {
        return get<std::int64_t>(key);
    }
    std::optional<double> real(const std::string& key) const override { return get<double>(key); }
    std::optional<bool> boolean(const std::string& key) const override { return get<bool>(key); }
    std::optional<Bytes> data(const std::string& key) const override { return get<Bytes>(key); }
    std::optional<StringList> stringList(const std::string& key) const override {
        return get<StringList>(key);
    }

    void setString(const std::string& key, const std::string& value) override { put(key, value); }
    void setInteger(const std::string& key, std::int64_t value) override { put(key, value); }
    void setReal(const std::string& key, double value) override { put(key, value); }
    void setBoolean(const std::string& key, bool value) override { put(key, value); }
    void setData(const std::string& key, const Bytes& value) override { put(key, value); }
    void setStringList(const std::string& key, const StringList& value) override {
        put(key, value);
    }
    void remove(const std::string& key) override {
        std::lock_guard lock(m_mutex);
        m_values.erase(key);
    }
    void commitStrings(const StringChanges& changes) override {
        std::lock_guard lock(m_mutex);
        for (const auto& [key, value] : changes) {
            if (value) {
                m_values[key] = *value;
            } else {
                m_values.erase(key);
            }
        }
    }

    bool contains(const std::string& key) const {
        std::lock_guard lock(m_mutex);
        return m_values.count(key) != 0;
    }

  private:
    template <typename T>
    std::optional<T> get(const std::string& key) const {
        std::lock_guard lock(m_mutex);
        auto it = m_values.find(key);
        if (it == m_values.end()) return std::nullopt;
        if (const T* v = std::get_if<T>(&it->second)) return *v;
        return std::nullopt;
    }
    void put(const std::string& key, Value value) {
        std::lock_guard lock(m_mutex);
        m_values[key] = std::move(value);
    }

    mutable std::mutex m_mutex;
    std::map<std::string, Value> m_values;
};

/// Suites held in memory: the same name gives the same suite.
class InMemoryPreferencesStore final : public PreferencesStore {
  public:
    std::shared_ptr<Preferences> standard() override { return suite(""); }
    std::shared_ptr<Preferences> suite(const std::string& name) override {
        std::lock_guard lock(m_mutex);
        auto& s = m_suites[name];
        if (!s) s = std::make_shared<InMemoryPreferences>();
        return s;
    }

  private:
    std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<InMemoryPreferences>> m_suites;
};

}  // namespace fixtora
