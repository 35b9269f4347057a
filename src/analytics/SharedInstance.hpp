// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <mutex>

namespace analytics {

/// The process-wide instance of `T`: made on first use, replaceable (tests
/// install their own). One per type, whatever file asks for it.
template <class T>
class SharedInstance {
  public:
    template <class Make>
    static std::shared_ptr<T> get(Make make) {
        std::lock_guard lock(mutex());
        auto& current = instance();
        if (!current) current = make();
        return current;
    }

    static void set(std::shared_ptr<T> replacement) {
        std::lock_guard lock(mutex());
        instance() = std::move(replacement);
    }

  private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static std::shared_ptr<T>& instance() {
        static std::shared_ptr<T> i;
        return i;
    }
};

}  // namespace analytics
