// A few persistent threads that run one batch of independent tasks at a
// time, for the kernels' threaded passes.
//
// A batch is a count of tasks and one function of (task, thread).  The
// calling thread takes part; the call returns when every task has run.
// Tasks are claimed in any order by any thread, so a task must write only
// memory no other task of its batch touches, and what it writes must not
// depend on the thread that runs it (a thread index is given only to pick a
// per-thread scratch buffer).  Results then cannot depend on the number of
// threads or on timing.
//
// Floating-point environment: every batch runs in the caller's environment
// (rounding mode, precision control), and the exception flags any task
// raised, on any thread, are raised on the calling thread when the batch
// ends.  A pass split into batches therefore leaves the caller's flags as the
// same pass run in one thread would: the kernels' fault tests work
// unchanged.
//
// Waiting threads spin briefly, then yield their core for some
// milliseconds (the passes of one step follow each other within
// microseconds, but a thread that finishes its block first may wait some
// hundreds of microseconds for the other), and then sleep until the next
// batch.  The caller waits for the tasks, never for a worker to wake: on a
// busy machine the threads that do run take every task.
#pragma once

#include <atomic>
#include <cfenv>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <type_traits>
#include <vector>

namespace vantrel {

class WorkerPool {
public:
    // threads >= 1: the caller and threads - 1 workers.
    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int Threads() const { return threads_; }

    // Runs task(t, thread) for t = 0..count - 1; thread is 0..Threads() - 1.
    template <typename Task>
    void Run(std::size_t count, Task&& task) {
        RunErased(count, false, Erased<Task>, const_cast<void*>(static_cast<const void*>(&task)));
    }

    // As Run, for passes whose task t works on the same block of data every
    // time: thread t takes task t when it is there in time, and only a task
    // whose own thread has not claimed it goes to another (so the caller
    // still never waits for a worker to wake).  Claimed in any order, a
    // force block ran on the other core a third of the time, and its
    // particles' records and gathered pairs had to follow it: the force
    // evaluation took 5-6 % longer on 10,240 atoms, 1 % on 200,000 (two
    // threads, alternated within one run).  More tasks than MaxOwnTasks are
    // claimed as by Run.
    template <typename Task>
    void RunOwn(std::size_t count, Task&& task) {
        RunErased(count, true, Erased<Task>, const_cast<void*>(static_cast<const void*>(&task)));
    }
    static constexpr std::size_t MaxOwnTasks = 20;

private:
    using Entry = void (*)(void* context, std::size_t task, int thread);

    template <typename Task>
    static void Erased(void* context, std::size_t t, int thread) {
        (*static_cast<std::remove_reference_t<Task>*>(context))(t, thread);
    }

    void RunErased(std::size_t count, bool own, Entry entry, void* context);
    void WorkerLoop(int thread);
    // Claims and runs tasks of batch `batch` until none is left (or another
    // batch has begun); a worker also collects its tasks' exception flags.
    void RunTasks(std::uint64_t batch, int thread, bool worker);

    int threads_ = 1;
    int waitRounds_ = 0;  // rounds a waiting thread pauses or yields before it sleeps
    std::vector<std::thread> workers_;

    // The batch, written by the caller before it publishes the batch, read
    // by a worker only after it has claimed a task of it.
    Entry entry_ = nullptr;
    void* context_ = nullptr;
    std::fenv_t environment_{};
    // Set once, at the end; a worker that wakes late for a finished batch
    // may read it while it is written.
    std::atomic<bool> stop_{false};

    // Claims: batch number, task count and next task (or, for RunOwn, the
    // claimed tasks' bits) in one word, so that a thread that wakes late can
    // never claim a task of another batch.  The caller waits only for the
    // tasks to be done, not for every worker to wake: a worker the system
    // has not run yet delays nothing.
    std::atomic<std::uint64_t> claims_{0};
    std::atomic<std::uint32_t> generation_{0};  // the batch number, for sleeping workers
    std::atomic<std::uint32_t> done_{0};        // tasks of the batch finished
    std::atomic<int> raised_{0};                // exception flags the workers' tasks raised
};

// Runs task(t, thread) for t = 0..count - 1 on the pool, or in order on the
// calling thread when there is none.
template <typename Task>
void RunTasks(WorkerPool* pool, std::size_t count, Task&& task) {
    if (pool && pool->Threads() > 1 && count > 1) {
        pool->Run(count, task);
        return;
    }
    for (std::size_t t = 0; t < count; ++t) task(t, 0);
}

// The first of count items in part k of `parts` equal parts (k = parts
// gives count), for passes cut into contiguous parts.
inline std::int64_t EqualPartStart(std::int64_t count, std::size_t k, std::size_t parts) {
    return count * static_cast<std::int64_t>(k) / static_cast<std::int64_t>(parts);
}

// Whether a pool would run tasks on more than one thread.
inline bool Threaded(const WorkerPool* pool) { return pool && pool->Threads() > 1; }

}  // namespace vantrel
