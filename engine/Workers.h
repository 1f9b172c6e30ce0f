#pragma once
// Threads kept for a whole conversion, so that cutting work into small, cache-sized
// pieces costs no thread start per piece.

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace velt {

/// `Size()` threads, each running one job at a time. Start() hands thread `index` a job;
/// Wait() returns when every started job has ended and rethrows the first failure.
/// Jobs may run side by side with the caller, which must keep what they use alive until
/// Wait() returns; the destructor waits too.
class Workers final {
public:
    explicit Workers(std::size_t threads);
    ~Workers();
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    std::size_t Size() const { return m_slots.size(); }
    /// Runs `job` on thread `index` once its previous job has ended.
    void Start(std::size_t index, std::function<void()> job);
    /// Waits for the job of thread `index`, rethrowing its failure.
    void Wait(std::size_t index);
    /// Waits for every thread's job, rethrowing the first failure after all have ended.
    void Wait();

private:
    struct Slot {
        std::mutex lock;
        std::condition_variable changed;
        std::function<void()> job;
        bool busy = false;
        bool quit = false;
        std::exception_ptr failure;
        std::thread thread;
    };
    static void Serve(Slot& slot);
    std::vector<std::unique_ptr<Slot>> m_slots;
};

/// The cores worth using for one conversion (1..4).
std::size_t UsefulCores();

} // namespace velt
