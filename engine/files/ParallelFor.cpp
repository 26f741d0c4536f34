#include "engine/files/ParallelFor.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// What the workers and the calling thread share.
class Shared
{
public:
    explicit Shared(int count) : m_finished(count, false), m_count(count) {}

    // The next i to work on, or -1 when there is none, or something failed.
    int take()
    {
        const int i = m_next++;
        return i < m_count ? i : -1;
    }
    void finished(int i)
    {
        bool awaited = false;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_finished[i] = true;
            awaited = i == m_awaited || i == m_awaitedAhead;
        }
        if (awaited) // the caller sleeps only on the ones it waits for: no other wakes it
            m_changed.notify_one();
    }
    void fail(std::exception_ptr failure)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_failure)
                m_failure = failure;
            m_next = m_count;
        }
        m_changed.notify_one();
    }
    // Waits up to a tenth of a second for i, and a few after it, to finish; true when they have.
    // A caller woken for each work would sleep and wake again for every one of thousands.
    bool waitFor(int i)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_finished[i])
            return !m_failure;
        m_awaited = i;
        m_awaitedAhead = std::min(i + WokenEvery - 1, m_count - 1);
        return m_changed.wait_for(lock, std::chrono::milliseconds(100), [&] {
            return (m_finished[i] && m_finished[m_awaitedAhead]) || m_failure;
        }) && !m_failure;
    }
    bool failed()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return bool(m_failure);
    }
    void rethrow()
    {
        if (m_failure)
            std::rethrow_exception(m_failure);
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<bool> m_finished;
    static constexpr int WokenEvery = 8;
    int m_awaited = -1;      // the one the calling thread waits for,
    int m_awaitedAhead = -1; // and the last of those it waits for with it
    std::exception_ptr m_failure;
    std::atomic<int> m_next{0};
    const int m_count;
};

} // namespace

void ParallelForInOrder(int count, int threads, const std::function<void(int)> &work,
                        const std::function<void(int)> &done, const std::function<void()> &waiting)
{
    if (threads <= 0)
        threads = qMax(1, QThread::idealThreadCount());
    threads = qMin(threads, qMax(1, count));
    Shared shared(count);
    const auto worker = [&] {
        for (int i = shared.take(); i >= 0; i = shared.take()) {
            try {
                work(i);
            } catch (...) {
                shared.fail(std::current_exception());
                return;
            }
            shared.finished(i);
        }
    };
    std::vector<std::thread> running;
    for (int t = 0; t < threads; ++t)
        running.emplace_back(worker);
    // `waiting` is called every tenth of a second, whether the works come quickly or not.
    auto called = std::chrono::steady_clock::now();
    const auto tick = [&] {
        if (waiting && std::chrono::steady_clock::now() - called >= std::chrono::milliseconds(100)) {
            waiting();
            called = std::chrono::steady_clock::now();
        }
    };
    try {
        for (int i = 0; i < count && !shared.failed(); ++i) {
            while (!shared.waitFor(i) && !shared.failed())
                tick();
            tick();
            if (done && !shared.failed())
                done(i);
        }
    } catch (...) {
        shared.fail(std::current_exception());
    }
    for (std::thread &one : running)
        one.join();
    shared.rethrow();
}
