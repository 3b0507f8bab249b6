#include "core/worker_pool.h"

namespace vantrel {

namespace {

// How a thread waits before it sleeps: PauseRounds of pause (a pause took
// 26 ns on the test machine, so ~0.1 ms), then YieldRounds of giving the
// core to anything else that wants it (2.4 ms here when nothing else
// does).  A thread that finishes its block first waits for the other
// block, often some hundreds of microseconds; with the pauses alone it had
// fallen asleep by then about once a step, and being woken for the next
// batch made a 10,240-atom step on two threads 2-3 % slower (alternated
// within one run).  Yielding rather than pausing that long keeps the wait
// from taking a core that another program needs.  With more threads than
// cores a waiting thread only keeps a working one from its core, so then
// they sleep at once.
constexpr int PauseRounds = 4000;
constexpr int YieldRounds = 4000;

int WaitRoundsFor(int threads) {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 || static_cast<unsigned>(threads) <= cores ? PauseRounds + YieldRounds : 0;
}

inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// One round of waiting: false when the thread should sleep instead.
inline bool WaitRound(int round, int waitRounds) {
    if (round >= waitRounds) return false;
    if (round < PauseRounds)
        Pause();
    else
        std::this_thread::yield();
    return true;
}

// The claim word: batch number (23 bits), whether tasks go to their own
// threads (1 bit), task count (20 bits), then the next task or, with own
// threads, one bit per claimed task (20 bits).
constexpr int CountShift = 20;
constexpr int OwnShift = 40;
constexpr int BatchShift = 41;
constexpr std::uint64_t FieldMask = (std::uint64_t{1} << CountShift) - 1;
constexpr std::uint64_t BatchMask = (std::uint64_t{1} << 23) - 1;
constexpr std::size_t MaxBatchTasks = FieldMask;
static_assert(WorkerPool::MaxOwnTasks <= CountShift, "one claim bit per own task");

std::uint64_t ClaimWord(std::uint64_t batch, bool own, std::uint64_t count, std::uint64_t next) {
    return (batch << BatchShift) | (std::uint64_t{own} << OwnShift) | (count << CountShift) | next;
}

// The task a thread claims next from a claim word, and the word after the
// claim; false when none is left.
bool NextClaim(std::uint64_t word, int thread, std::uint64_t& task, std::uint64_t& claimed) {
    const std::uint64_t count = (word >> CountShift) & FieldMask;
    const std::uint64_t low = word & FieldMask;
    if (!((word >> OwnShift) & 1)) {
        if (low >= count) return false;
        task = low;
        claimed = word + 1;
        return true;
    }
    const std::uint64_t all = (std::uint64_t{1} << count) - 1;
    const std::uint64_t open = all & ~low;
    if (open == 0) return false;
    const auto own = static_cast<std::uint64_t>(thread);
    task = own < count && ((open >> own) & 1) ? own
                                              : static_cast<std::uint64_t>(__builtin_ctzll(open));
    claimed = word | (std::uint64_t{1} << task);
    return true;
}

}  // namespace

WorkerPool::WorkerPool(int threads)
    : threads_(threads > 1 ? threads : 1), waitRounds_(WaitRoundsFor(threads_)) {
    workers_.reserve(static_cast<std::size_t>(threads_ - 1));
    for (int t = 1; t < threads_; ++t) workers_.emplace_back([this, t] { WorkerLoop(t); });
}

WorkerPool::~WorkerPool() {
    stop_.store(true, std::memory_order_relaxed);
    generation_.fetch_add(1, std::memory_order_release);
    generation_.notify_all();
    for (std::thread& w : workers_) w.join();
}

void WorkerPool::RunTasks(std::uint64_t batch, int thread, bool worker) {
    std::uint64_t word = claims_.load(std::memory_order_acquire);
    bool joined = false;
    for (;;) {
        if ((word >> BatchShift) != batch) return;
        const std::uint64_t count = (word >> CountShift) & FieldMask;
        std::uint64_t next = 0, claimed = 0;
        if (!NextClaim(word, thread, next, claimed)) return;
        if (!claims_.compare_exchange_weak(word, claimed, std::memory_order_acq_rel,
                                           std::memory_order_acquire))
            continue;
        if (worker) {
            // The caller's environment; each task's flags counted alone.
            if (!joined) std::fesetenv(&environment_);
            joined = true;
            std::feclearexcept(FE_ALL_EXCEPT);
        }
        entry_(context_, static_cast<std::size_t>(next), thread);
        if (worker) {
            const int raised = std::fetestexcept(FE_ALL_EXCEPT);
            if (raised) raised_.fetch_or(raised, std::memory_order_relaxed);
        }
        if (done_.fetch_add(1, std::memory_order_acq_rel) + 1 == count) done_.notify_one();
        word = claims_.load(std::memory_order_acquire);
    }
}

void WorkerPool::WorkerLoop(int thread) {
    std::uint32_t seen = 0;
    for (;;) {
        std::uint32_t now = generation_.load(std::memory_order_acquire);
        for (int round = 0; now == seen; ++round) {
            if (!WaitRound(round, waitRounds_)) generation_.wait(seen, std::memory_order_acquire);
            now = generation_.load(std::memory_order_acquire);
        }
        seen = now;
        if (stop_.load(std::memory_order_relaxed)) return;
        RunTasks(now & BatchMask, thread, true);
    }
}

void WorkerPool::RunErased(std::size_t count, bool own, Entry entry, void* context) {
    if (count == 0) return;
    if (workers_.empty() || count > MaxBatchTasks) {
        for (std::size_t t = 0; t < count; ++t) entry(context, t, 0);
        return;
    }
    entry_ = entry;
    context_ = context;
    std::fegetenv(&environment_);
    done_.store(0, std::memory_order_relaxed);
    raised_.store(0, std::memory_order_relaxed);
    const std::uint32_t batch = generation_.load(std::memory_order_relaxed) + 1;
    claims_.store(ClaimWord(batch & BatchMask, own && count <= MaxOwnTasks, count, 0),
                  std::memory_order_release);
    generation_.store(batch, std::memory_order_release);
    generation_.notify_all();

    // The caller's own flags simply accumulate.
    RunTasks(batch & BatchMask, 0, false);

    std::uint32_t done = done_.load(std::memory_order_acquire);
    for (int round = 0; done != count; ++round) {
        if (!WaitRound(round, waitRounds_)) done_.wait(done, std::memory_order_acquire);
        done = done_.load(std::memory_order_acquire);
    }
    const int raised = raised_.load(std::memory_order_relaxed);
    const int missing = raised & ~std::fetestexcept(raised);
    if (missing) std::feraiseexcept(missing);
}

}  // namespace vantrel
