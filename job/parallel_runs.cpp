#include "job/parallel_runs.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "core/number_text.h"
#include "job/log.h"
#include "job/output_files.h"
#include "job/partner_lists.h"
#include "job/per_run_files.h"
#include "job/progress.h"
#include "job/run_figures.h"
#include "job/worker_messages.h"
#include "job/worker_process.h"

namespace vantrel {

namespace {

using Clock = std::chrono::steady_clock;

// How long the parent waits for messages before it looks at the window's
// events (and the runner's Ctrl-C) again.
constexpr int PollMilliseconds = 200;
// The progress text is renewed at least this often.
constexpr auto ProgressInterval = std::chrono::seconds(1);
// A run's records are copied in pieces of about this size.
constexpr std::size_t CopyChunkBytes = 1 << 20;

// A temporary file beside `beside`, or in the system's temporary folder,
// unlinked at once: the worker writes through one descriptor, the parent
// reads and frees through the other.
bool OpenTemporary(const std::string& beside, int& writeEnd, int& readEnd) {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::path(beside).parent_path();
    if (folder.empty()) folder = ".";
    for (const std::filesystem::path& place :
         {folder, std::filesystem::temp_directory_path(error)}) {
        if (place.empty()) continue;
        std::string path = (place / ".vantrel-runs-XXXXXX").string();
        const int w = ::mkostemp(path.data(), O_CLOEXEC);
        if (w < 0) continue;
        const int r = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        ::unlink(path.c_str());
        if (r < 0) {
            ::close(w);
            continue;
        }
        writeEnd = w;
        readEnd = r;
        return true;
    }
    return false;
}

void CloseDescriptor(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Bytes [Begin, End) of a temporary file.
std::string ReadRange(int fd, ByteRange range) {
    std::string bytes(static_cast<std::size_t>(std::max<std::int64_t>(range.End - range.Begin, 0)),
                      '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + got, bytes.size() - got,
                                  static_cast<off_t>(range.Begin) + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

// The disk space of a copied part goes back at once; the file's length stays.
void FreeRange(int fd, ByteRange range) {
#if defined(__linux__) && defined(FALLOC_FL_PUNCH_HOLE)
    if (range.End > range.Begin)
        (void)::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, range.Begin,
                          range.End - range.Begin);
#else
    (void)fd, (void)range;
#endif
}

// A worker and the parent's side of it.
struct WorkerSlot {
    pid_t Pid = -1;
    int Socket = -1;  // the parent's end
    std::array<int, SharedStreamCount> Streams = NoStreams();
    // Its temporary file of a table begins with the header (job/per_run_files.h).
    std::array<bool, SharedStreamCount> HeaderPending{};
    int Initial = -1;
    WorkerPorts Child;      // the worker's ends, closed here once it is forked
    std::string Received;   // bytes not yet taken as whole messages
    std::string Block;      // the messages of the run in progress
    std::int32_t Run = 0;   // the run in progress (a run counter); 0 when idle
    bool Open = true;       // its socket has not ended
    bool Quitting = false;  // told there are no more runs
    bool PassFailed = false;
};

void CloseAll(std::vector<WorkerSlot>& slots) {
    for (WorkerSlot& w : slots) {
        CloseDescriptor(w.Socket);
        CloseDescriptor(w.Initial);
        CloseDescriptor(w.Child.Parent);
        CloseDescriptor(w.Child.Initial);
        for (int& fd : w.Streams) CloseDescriptor(fd);
        for (int& fd : w.Child.Streams) CloseDescriptor(fd);
    }
}

// Sockets and temporary files for every worker, then the forks, so that
// each child can close what belongs to the others.  False, with the reason,
// when something could not be had; nothing is left running then.
bool StartWorkers(SimulationState& s, std::vector<WorkerSlot>& slots, std::string& why) {
    for (WorkerSlot& w : slots) {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
            why = "no socket";
            CloseAll(slots);
            return false;
        }
        w.Socket = pair[0];
        w.Child.Parent = pair[1];
        for (std::size_t k = 0; k < SharedStreamCount; ++k) {
            const OutputFile& file = PerRunFiles[k].File(s);
            if (!file.Handle) continue;
            // A header not yet in the job's file comes with the worker's first row.
            w.HeaderPending[k] = PerRunFiles[k].HeaderLines > 0 && ::ftello(file.Handle.get()) == 0;
            if (!OpenTemporary(file.Name, w.Child.Streams[k], w.Streams[k])) {
                why = "no temporary file beside " + file.Name;
                CloseAll(slots);
                return false;
            }
        }
        if (s.Options().StoreInitial &&
            !OpenTemporary(s.Outputs.InitialConditions, w.Child.Initial, w.Initial)) {
            why = "no temporary file beside " + s.Outputs.InitialConditions;
            CloseAll(slots);
            return false;
        }
    }
    // Nothing buffered may be written twice, by the parent and by a child.
    std::fflush(nullptr);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            WorkerPorts mine = slots[i].Child;
            slots[i].Child = WorkerPorts{};
            CloseAll(slots);
            RunWorkerProcess(s, mine);
        }
        if (pid < 0) {
            why = std::string("no process: ") + std::strerror(errno);
            for (std::size_t j = 0; j < i; ++j) {
                ::kill(slots[j].Pid, SIGKILL);
                ::waitpid(slots[j].Pid, nullptr, 0);
            }
            CloseAll(slots);
            return false;
        }
        slots[i].Pid = pid;
    }
    for (WorkerSlot& w : slots) {
        CloseDescriptor(w.Child.Parent);
        CloseDescriptor(w.Child.Initial);
        for (int& fd : w.Child.Streams) CloseDescriptor(fd);
    }
    return true;
}

// "was killed by signal 9 (Killed)", "ended with status 3".
std::string EndOfProcessText(int status) {
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        const char* name = ::strsignal(signal);
        return "was killed by signal " + IntegerText(signal) +
               (name ? std::string(" (") + name + ")" : std::string());
    }
    if (WIFEXITED(status)) return "ended with status " + IntegerText(WEXITSTATUS(status));
    return "ended";
}

enum class RunState { Waiting, Running, Finished, Failed, Lost };

struct SharedRun {
    RunState State = RunState::Waiting;
    std::size_t Worker = 0;
    std::string Block;  // its messages, the last one its RunFinished or RunFailed
    std::string Lost;   // how its worker ended
};

class Coordinator {
public:
    Coordinator(SimulationState& s, std::vector<WorkerSlot>& slots, std::int32_t runs)
        : s_(s), slots_(slots), runs_(static_cast<std::size_t>(runs) + 1), lastRun_(runs) {
        for (std::size_t k = 0; k < SharedStreamCount; ++k)
            jobHasHeader_[k] = !slots.front().HeaderPending[k];
    }

    JobOutcome Run() {
        started_ = Clock::now();
        for (std::size_t w = 0; w < slots_.size(); ++w) HandOut(w);
        while (std::any_of(slots_.begin(), slots_.end(), [](const WorkerSlot& w) { return w.Open; })) {
            Receive();
            WatchForAbort();
            WriteReadyRuns();
            for (std::size_t w = 0; w < slots_.size(); ++w)
                if (slots_[w].Open && slots_[w].Run == 0) HandOut(w);
            ShowProgress(false);
        }
        WriteReadyRuns();
        ShowProgress(true);
        for (WorkerSlot& w : slots_)
            if (w.Pid > 0) ::waitpid(w.Pid, nullptr, 0);
        CloseAll(slots_);

        s_.RunCounter = written_;
        s_.Program.AbortNow = lastAbortNow_ || abortSent_;
        if (failed_) return JobOutcome::Failed;
        if (ended_ || abortSent_) return JobOutcome::Aborted;
        return JobOutcome::Completed;
    }

private:
    UserInterface& Ui() { return s_.Ui(); }

    void Send(WorkerSlot& w, WorkerCommandKind kind, std::int32_t run = 0) {
        const WorkerCommand command{kind, run};
        // A worker that has gone is noticed at its socket's end.
        (void)::send(w.Socket, &command, sizeof command, MSG_NOSIGNAL);
    }

    // The next run to a free worker, or Quit when none is left for it.
    void HandOut(std::size_t index) {
        WorkerSlot& w = slots_[index];
        if (w.Quitting) return;
        if (stopping_ || nextRun_ > lastRun_) {
            Send(w, WorkerCommandKind::Quit);
            w.Quitting = true;
            return;
        }
        SharedRun& run = runs_[static_cast<std::size_t>(nextRun_)];
        run.State = RunState::Running;
        run.Worker = index;
        w.Run = nextRun_;
        Send(w, WorkerCommandKind::Run, nextRun_);
        nextRun_ += 1;
    }

    // No further runs: the job ends at run `last` at the latest.  Workers on
    // runs after it end them as an abort would; nothing of those is written.
    void StopAt(std::int32_t last) {
        stopping_ = true;
        lastRun_ = std::min(lastRun_, last);
        for (WorkerSlot& w : slots_)
            if (w.Open && w.Run > lastRun_) Send(w, WorkerCommandKind::Abort);
    }

    void Receive() {
        std::vector<pollfd> polled;
        std::vector<std::size_t> which;
        for (std::size_t w = 0; w < slots_.size(); ++w)
            if (slots_[w].Open) {
                polled.push_back({slots_[w].Socket, POLLIN, 0});
                which.push_back(w);
            }
        if (::poll(polled.data(), polled.size(), PollMilliseconds) <= 0) return;
        char buffer[1 << 16];
        for (std::size_t i = 0; i < polled.size(); ++i) {
            if (!(polled[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            WorkerSlot& w = slots_[which[i]];
            const ssize_t n = ::read(w.Socket, buffer, sizeof buffer);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n > 0) {
                w.Received.append(buffer, static_cast<std::size_t>(n));
                TakeMessages(which[i]);
            } else {
                WorkerEnded(which[i]);
            }
        }
    }

    void TakeMessages(std::size_t index) {
        WorkerSlot& w = slots_[index];
        std::string_view bytes = w.Received;
        WorkerMessage m;
        while (const std::size_t length = DecodeWorkerMessage(bytes, m)) {
            const std::string_view raw = bytes.substr(0, length);
            bytes.remove_prefix(length);
            if (m.Kind == WorkerMessageKind::PassFailed) {
                w.PassFailed = true;
                w.Run = 0;
                StopAt(m.Number - s_.RunOffsetCopy);
                continue;
            }
            w.Block.append(raw);
            if (m.Kind != WorkerMessageKind::RunFinished && m.Kind != WorkerMessageKind::RunFailed)
                continue;
            SharedRun& run = runs_[static_cast<std::size_t>(w.Run)];
            run.Block = std::move(w.Block);
            w.Block.clear();
            const std::int32_t counter = w.Run;
            w.Run = 0;
            if (m.Kind == WorkerMessageKind::RunFailed) {
                run.State = RunState::Failed;
                StopAt(counter);
                continue;
            }
            run.State = RunState::Finished;
            finished_ += 1;
            // Runs after one that ends the job are not made, unless this
            // parent's own abort ended it.
            if (!m.ContinueJob && !abortSent_) StopAt(counter);
        }
        w.Received.erase(0, w.Received.size() - bytes.size());
    }

    void WorkerEnded(std::size_t index) {
        WorkerSlot& w = slots_[index];
        w.Open = false;
        int status = 0;
        if (w.Pid > 0 && ::waitpid(w.Pid, &status, 0) == w.Pid) w.Pid = -1;
        if (w.PassFailed || (w.Quitting && w.Run == 0)) return;
        if (w.Run == 0) {
            // Between runs: none is lost, but the runs it would have made are.
            ShowError(Ui(), "A worker process " + EndOfProcessText(status) + " between runs.");
            stopping_ = true;
            failed_ = true;
            return;
        }
        SharedRun& run = runs_[static_cast<std::size_t>(w.Run)];
        run.State = RunState::Lost;
        run.Lost = EndOfProcessText(status);
        const std::int32_t runNumber = w.Run + s_.RunOffsetCopy;
        ShowError(Ui(), "The worker process making run " + IntegerText(runNumber) + " " +
                            run.Lost + ": the run is lost.");
        w.Run = 0;
        // The finished runs are still written, the runs under way still made.
        stopping_ = true;
    }

    // An abort asked for (Ctrl-C, Cancel) is asked here once for the whole job.
    void WatchForAbort() {
        Ui().ProcessPendingEvents();
        ProgramContext& program = s_.Program;
        // Step has no one run to end here.
        program.AbortNow = false;
        if (!program.AbortRequested) return;
        program.AbortRequested = false;
        if (abortSent_ || !Ui().AskYesNo(AbortQuestionText, QuestionKind::Confirmation)) return;
        abortSent_ = true;
        stopping_ = true;
        for (WorkerSlot& w : slots_)
            if (w.Open && w.Run != 0) Send(w, WorkerCommandKind::Abort);
    }

    void WriteReadyRuns() {
        while (next_ <= lastRun_) {
            SharedRun& run = runs_[static_cast<std::size_t>(next_)];
            if (run.State == RunState::Waiting || run.State == RunState::Running) return;
            if (run.State == RunState::Lost) {
                LogLine(Ui(),
                        "  Run " + IntegerText(next_ + s_.RunOffsetCopy) +
                            " lost: its worker process " + run.Lost,
                        ColourRed);
                failed_ = true;
            } else {
                WriteRun(run);
            }
            run.Block.clear();
            run.Block.shrink_to_fit();
            next_ += 1;
            if (run.State == RunState::Failed) {
                lastRun_ = next_ - 1;
                return;
            }
        }
    }

    // One run's block through the parent's own interface and relay, its
    // figures summed here, its records and lines appended to the job's files.
    void WriteRun(const SharedRun& run) {
        UserInterface& ui = Ui();
        RunRelay* relay = s_.Relay;
        WorkerSlot& worker = slots_[run.Worker];
        written_ += 1;
        s_.RunCounter = written_;
        std::string_view bytes = run.Block;
        WorkerMessage m;
        while (const std::size_t length = DecodeWorkerMessage(bytes, m)) {
            bytes.remove_prefix(length);
            switch (m.Kind) {
                case WorkerMessageKind::LogLine: ui.AppendLogLine(m.Text, m.Colour); break;
                case WorkerMessageKind::ErrorBox: ui.ErrorBox(m.Text); break;
                case WorkerMessageKind::WarningBox: ui.WarningBox(m.Text); break;
                case WorkerMessageKind::ExpressionError: ui.ExpressionError(m.Text); break;
                case WorkerMessageKind::Beep: ui.Beep(); break;
                case WorkerMessageKind::PlotReset: ui.PlotReset(); break;
                case WorkerMessageKind::RunStarting:
                    if (relay) relay->RunStarting(m.Number);
                    break;
                case WorkerMessageKind::FirstRunLinesBegin:
                    if (relay) relay->FirstRunLinesBegin();
                    break;
                case WorkerMessageKind::FirstRunLinesEnd:
                    if (relay) relay->FirstRunLinesEnd(WholeLines(m.Text));
                    break;
                case WorkerMessageKind::MaxPartnersLine:
                    s_.MaxPartnersUsed = std::max(s_.MaxPartnersUsed, m.Number);
                    ReportMaxPartners(s_);
                    break;
                case WorkerMessageKind::EnergyErrorLine:
                    ReportEnergyError(s_, m.Values[0], m.Values[1]);
                    break;
                case WorkerMessageKind::LossLines:
                    s_.LssLoss = m.Values[0];
                    s_.OrLoss = m.Values[1];
                    s_.StLoss = m.Values[2];
                    ReportLosses(s_);
                    break;
                case WorkerMessageKind::InitialConditions:
                    if (m.Failed)
                        ReportOutputStatus(s_, s_.Output.Files.InitialConditions,
                                           OutputStatus::WriteFailed);
                    else
                        WriteInitialConditions(s_, ReadRange(worker.Initial, m.Initial));
                    FreeRange(worker.Initial, m.Initial);
                    break;
                case WorkerMessageKind::RunFinished:
                    for (std::size_t k = 0; k < SharedStreamCount; ++k)
                        CopyStream(worker, k, m.Streams[k]);
                    lastAbortNow_ = m.AbortNow;
                    if (!m.ContinueJob) ended_ = true;
                    if (relay) relay->RunFinished({m.Number, m.ContinueJob, m.AbortNow});
                    break;
                case WorkerMessageKind::RunFailed: failed_ = true; break;
                case WorkerMessageKind::PassFailed: break;
            }
        }
    }

    // A run's part of one stream, in pieces that end with a whole record or
    // line, so that a program stopped at once leaves whole records behind.
    void CopyStream(WorkerSlot& worker, std::size_t k, ByteRange range) {
        const int fd = worker.Streams[k];
        const PerRunFile& table = PerRunFiles[k];
        if (fd < 0 || range.End <= range.Begin) return;
        std::int64_t at = range.Begin;
        if (worker.HeaderPending[k]) {
            worker.HeaderPending[k] = false;
            const std::string first =
                ReadRange(fd, {at, std::min<std::int64_t>(range.End, at + CopyChunkBytes)});
            std::string_view rows = first;
            Append(table, TakeHeader(rows, table.HeaderLines, jobHasHeader_[k]));
            at += static_cast<std::int64_t>(first.size() - rows.size());
        }
        while (at < range.End) {
            const std::int64_t end = std::min<std::int64_t>(range.End, at + CopyChunkBytes);
            std::string piece = ReadRange(fd, {at, end});
            if (piece.empty()) break;
            std::size_t whole = piece.size();
            if (at + static_cast<std::int64_t>(whole) < range.End) {
                if (table.RecordBytes > 0) {
                    whole -= whole % table.RecordBytes;
                } else {
                    const std::size_t lineEnd = piece.rfind('\n');
                    if (lineEnd != std::string::npos) whole = lineEnd + 1;
                }
            }
            Append(table, std::string_view(piece).substr(0, whole));
            at += static_cast<std::int64_t>(whole);
        }
        FreeRange(fd, range);
    }

    void Append(const PerRunFile& table, std::string_view bytes) {
        if (bytes.empty()) return;
        OutputFile& file = table.File(s_);
        ReportOutputStatus(s_, file, AppendWhole(file, bytes));
    }

    void ShowProgress(bool now) {
        const Clock::time_point time = Clock::now();
        if (!now && time - shown_ < ProgressInterval) return;
        shown_ = time;
        const double elapsed = std::chrono::duration<double>(time - started_).count();
        Ui().ShowProgress(SharedProgressText(finished_, lastRun_, elapsed));
    }

    SimulationState& s_;
    std::vector<WorkerSlot>& slots_;
    std::vector<SharedRun> runs_;  // by run counter, 1-based
    std::int32_t lastRun_;         // the last run the job can write
    std::int32_t nextRun_ = 1;     // the next run to hand out
    std::int32_t next_ = 1;        // the next run to write
    std::int32_t written_ = 0;
    std::int32_t finished_ = 0;
    bool stopping_ = false;  // no further runs are handed out
    bool abortSent_ = false;
    bool ended_ = false;   // a written run ended the job
    bool failed_ = false;  // a written run failed, or a run was lost
    bool lastAbortNow_ = false;
    // The job's file of each table holds its header (job/per_run_files.h).
    std::array<bool, SharedStreamCount> jobHasHeader_{};
    Clock::time_point started_{};
    Clock::time_point shown_{};
};

}  // namespace

std::optional<JobOutcome> ShareRuns(SimulationState& s, std::int32_t workers, std::int32_t runs) {
    std::vector<WorkerSlot> slots(static_cast<std::size_t>(workers));
    std::string why;
    if (!StartWorkers(s, slots, why)) {
        s.Ui().WarningBox("Worker processes could not be started (" + why +
                          "): the runs are made one after another.");
        return std::nullopt;
    }
    return Coordinator(s, slots, runs).Run();
}

}  // namespace vantrel
