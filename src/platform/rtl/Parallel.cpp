#include "Parallel.h"

#include "VectorState.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace rtl {

namespace {

// True on a thread while it runs a task, so that a nested call does not wait for itself.
thread_local bool t_inTask = false;

struct Job
{
    const std::function<void(size_t)> *task = nullptr;
    size_t count = 0;
    unsigned helpers = 0;
    std::atomic<size_t> next{0};
    std::mutex failureMutex;
    size_t failedIndex = SIZE_MAX;
    std::exception_ptr failure;

    void work()
    {
        t_inTask = true;
        for (size_t i = next++; i < count; i = next++) {
            ClearUpperVectorState(); // whatever Qt code the thread ran before, the task starts at full speed
            try {
                (*task)(i);
            } catch (...) {
                const std::lock_guard lock(failureMutex);
                if (i < failedIndex) {
                    failedIndex = i;
                    failure = std::current_exception();
                }
            }
        }
        t_inTask = false;
    }
};

class Pool
{
public:
    ~Pool()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        for (std::thread &worker : m_workers)
            worker.join();
    }

    void run(Job &job)
    {
        const std::lock_guard submission(m_submission);
        startWorkers(job.helpers);
        {
            const std::lock_guard lock(m_mutex);
            m_job = &job;
            m_busy = job.helpers;
            ++m_generation;
        }
        m_wake.notify_all();
        job.work();
        std::unique_lock lock(m_mutex);
        m_finished.wait(lock, [this] { return m_busy == 0; });
        m_job = nullptr;
    }

private:
    void startWorkers(unsigned wanted)
    {
        while (m_workers.size() < wanted) {
            const unsigned index = unsigned(m_workers.size());
            m_workers.emplace_back([this, index] { serve(index); });
        }
    }

    void serve(unsigned index)
    {
        uint64_t seen = 0;
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return m_stopping || m_generation != seen; });
            if (m_stopping)
                return;
            seen = m_generation;
            Job *job = m_job;
            if (!job || index >= job->helpers)
                continue;
            lock.unlock();
            job->work();
            lock.lock();
            if (--m_busy == 0)
                m_finished.notify_one();
        }
    }

    std::mutex m_submission;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_finished;
    std::vector<std::thread> m_workers;
    Job *m_job = nullptr;
    unsigned m_busy = 0;
    uint64_t m_generation = 0;
    bool m_stopping = false;
};

Pool &pool()
{
    static Pool instance;
    return instance;
}

} // namespace

void ParallelFor(size_t count, unsigned threads, const std::function<void(size_t)> &task)
{
    if (count == 0)
        return;
    if (threads == 0)
        threads = UsableProcessors();
    Job job;
    job.task = &task;
    job.count = count;
    job.helpers = t_inTask ? 0 : unsigned(std::min<size_t>(threads, count)) - 1;
    if (job.helpers == 0) {
        const bool nested = t_inTask;
        job.work();
        t_inTask = nested;
    } else {
        pool().run(job);
    }
    if (job.failure)
        std::rethrow_exception(job.failure);
}

void ParallelForStretches(size_t count, size_t leastPerStretch, unsigned threads,
                          const std::function<void(size_t begin, size_t end)> &task)
{
    if (count == 0)
        return;
    if (threads == 0)
        threads = UsableProcessors();
    const size_t stretches = std::clamp<size_t>(count / std::max<size_t>(leastPerStretch, 1), 1, threads);
    const size_t size = (count + stretches - 1) / stretches;
    ParallelFor(stretches, threads, [&](size_t s) { task(s * size, std::min(count, (s + 1) * size)); });
}

} // namespace rtl
