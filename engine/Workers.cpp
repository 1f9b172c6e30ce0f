#include "engine/Workers.h"

#include <algorithm>
#include <utility>

namespace velt {

Workers::Workers(std::size_t threads) {
    m_slots.reserve(threads);
    for (std::size_t k = 0; k < threads; ++k) {
        auto slot = std::make_unique<Slot>();
        slot->thread = std::thread(&Workers::Serve, std::ref(*slot));
        m_slots.push_back(std::move(slot));
    }
}

Workers::~Workers() {
    for (const auto& slot : m_slots) {
        {
            const std::lock_guard guard(slot->lock);
            slot->quit = true;
        }
        slot->changed.notify_all();
    }
    for (const auto& slot : m_slots) {
        slot->thread.join(); // a job still running ends first
    }
}

void Workers::Serve(Slot& slot) {
    std::unique_lock guard(slot.lock);
    for (;;) {
        slot.changed.wait(guard, [&slot] { return slot.quit || slot.job; });
        if (!slot.job) {
            return;
        }
        std::function<void()> job = std::move(slot.job);
        slot.job = nullptr;
        guard.unlock();
        std::exception_ptr failure;
        try {
            job();
        } catch (...) {
            failure = std::current_exception();
        }
        guard.lock();
        if (failure && !slot.failure) {
            slot.failure = failure;
        }
        slot.busy = false;
        slot.changed.notify_all();
    }
}

void Workers::Start(std::size_t index, std::function<void()> job) {
    Slot& slot = *m_slots.at(index);
    std::unique_lock guard(slot.lock);
    slot.changed.wait(guard, [&slot] { return !slot.busy; });
    slot.job = std::move(job);
    slot.busy = true;
    guard.unlock();
    slot.changed.notify_all();
}

void Workers::Wait(std::size_t index) {
    Slot& slot = *m_slots.at(index);
    std::unique_lock guard(slot.lock);
    slot.changed.wait(guard, [&slot] { return !slot.busy; });
    if (slot.failure) {
        std::rethrow_exception(std::exchange(slot.failure, nullptr));
    }
}

void Workers::Wait() {
    std::exception_ptr first;
    for (std::size_t k = 0; k < m_slots.size(); ++k) {
        try {
            Wait(k);
        } catch (...) {
            if (!first) {
                first = std::current_exception();
            }
        }
    }
    if (first) {
        std::rethrow_exception(first);
    }
}

std::size_t UsefulCores() {
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
}

} // namespace velt
