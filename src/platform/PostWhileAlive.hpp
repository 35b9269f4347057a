// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Scheduler.hpp"

#include <memory>
#include <utility>

namespace fixtora {

/// Hands `fn` to `scheduler` and, when its turn comes, calls `fn(owner)` only
/// if `owner` still lives: the hop of every completion that comes back on
/// another thread to an object that may be gone by then. The owner is held
/// weakly until the task runs, so a queued hop keeps nothing alive. Nothing
/// is posted when the owner is already gone.
template <class Owner, class Fn>
void postWhileAlive(Scheduler& scheduler, std::weak_ptr<Owner> owner, Fn fn) {
    if (owner.expired()) return;
    scheduler.post([owner = std::move(owner), fn = std::move(fn)]() mutable {
        if (auto self = owner.lock()) fn(*self);
    });
}

/// The same for a scheduler held weakly: nothing happens once it is gone.
template <class Owner, class Fn>
void postWhileAlive(const std::weak_ptr<Scheduler>& scheduler, std::weak_ptr<Owner> owner, Fn fn) {
    if (auto s = scheduler.lock()) postWhileAlive(*s, std::move(owner), std::move(fn));
}

}  // namespace fixtora
