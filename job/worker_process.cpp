#include "job/worker_process.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <poll.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "io/impact_file.h"
#include "job/output_files.h"
#include "job/partner_lists.h"
#include "job/run_driver.h"
#include "job/trajectory.h"

namespace vantrel {

namespace {

// Large buffers, as the job's own files have.
constexpr std::size_t StreamBufferBytes = 1 << 16;
// Messages wait in the worker until a run ends or this many bytes gather.
constexpr std::size_t MessageBatchBytes = 1 << 15;

// All of bytes to fd; false when the reader has gone.
bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// One command; false at the end of the pipe.
bool ReadCommand(int fd, WorkerCommand& command) {
    char bytes[sizeof(WorkerCommand)];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::read(fd, bytes + got, sizeof bytes - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    std::memcpy(&command, bytes, sizeof command);
    return true;
}

// Where the stream stands once everything written is in its file.
std::int64_t WrittenUpTo(std::FILE* file) {
    if (!file) return 0;
    std::fflush(file);
    return static_cast<std::int64_t>(::ftello(file));
}

class WorkerChannel final : public UserInterface, public RunRelay {
public:
    WorkerChannel(SimulationState& s, const WorkerPorts& ports, std::FILE* initial)
        : s_(s), ports_(ports), initial_(initial) {}

    void AppendLogLine(std::string_view text, LogColour colour) override {
        // The figure lines are the parent's to write, from its own sums.
        if (figureLinesLeft_ > 0) {
            figureLinesLeft_ -= 1;
            return;
        }
        WorkerMessage m = Message(WorkerMessageKind::LogLine, text);
        m.Colour = colour;
        Send(m);
    }
    void SetStatusText(std::string_view) override {}
    void PlotUpdate(const PlotSnapshot&) override {}
    void PlotReset() override { Send(Message(WorkerMessageKind::PlotReset)); }
    void ErrorBox(std::string_view text) override {
        Send(Message(WorkerMessageKind::ErrorBox, text));
    }
    void WarningBox(std::string_view text) override {
        Send(Message(WorkerMessageKind::WarningBox, text));
    }
    // The parent has asked every question of the job before the workers
    // started; the only one left is the abort question after its Abort.
    bool AskYesNo(std::string_view text, QuestionKind) override {
        return text == AbortQuestionText;
    }
    // The parent's Abort (or its going away) arrives here, at every
    // partner-list rebuild, as Cancel would on the desktop.
    void ProcessPendingEvents() override {
        pollfd p{ports_.Parent, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0) return;
        WorkerCommand command;
        if (!ReadCommand(ports_.Parent, command) || command.Kind != WorkerCommandKind::Run)
            s_.Program.AbortRequested = true;
    }
    void Beep() override { Send(Message(WorkerMessageKind::Beep)); }
    void ExpressionError(std::string_view message) override {
        Send(Message(WorkerMessageKind::ExpressionError, message));
    }
    void RefreshMemoryDisplay() override {}

    void RunStarting(std::int32_t runNumber) override {
        WorkerMessage m = Message(WorkerMessageKind::RunStarting);
        m.Number = runNumber;
        Send(m);
    }
    void FirstRunLinesBegin() override { Send(Message(WorkerMessageKind::FirstRunLinesBegin)); }
    void FirstRunLinesEnd(const std::vector<std::string>& laterLines) override {
        WorkerMessage m = Message(WorkerMessageKind::FirstRunLinesEnd);
        for (const std::string& line : laterLines) m.Text += line + '\n';
        Send(m);
    }
    void MaxPartnersLine(std::int32_t maxPartnersUsed) override {
        WorkerMessage m = Message(WorkerMessageKind::MaxPartnersLine);
        m.Number = maxPartnersUsed;
        Send(m);
        figureLinesLeft_ = 1;
    }
    void EnergyErrorLine(double dE, double error) override {
        WorkerMessage m = Message(WorkerMessageKind::EnergyErrorLine);
        m.Values = {dE, error, 0.0};
        Send(m);
        figureLinesLeft_ = 1;
    }
    void LossLines(double lss, double orLoss, double stLoss) override {
        WorkerMessage m = Message(WorkerMessageKind::LossLines);
        m.Values = {lss, orLoss, stLoss};
        Send(m);
        figureLinesLeft_ = 3;
    }
    void RunFinished(const RunEnd& end) override {
        WorkerMessage m = Message(WorkerMessageKind::RunFinished);
        m.Number = end.RunNumber;
        m.ContinueJob = end.ContinueJob;
        m.AbortNow = end.AbortNow;
        for (std::size_t k = 0; k < SharedStreamCount; ++k) {
            const std::int64_t upTo = WrittenUpTo(Stream(k));
            m.Streams[k] = {runBegins_[k], upTo};
            runBegins_[k] = upTo;
        }
        Send(m);
        Flush();
    }
    bool TakeInitialConditions(const ParticleTable& particles, std::int32_t runNumber) override {
        WorkerMessage m = Message(WorkerMessageKind::InitialConditions);
        m.Failed = true;
        if (initial_) {
            m.Initial.Begin = WrittenUpTo(initial_);
            m.Failed = WriteInitialRecords(initial_, particles, runNumber) != OutputStatus::Ok;
            m.Initial.End = WrittenUpTo(initial_);
            m.Failed = m.Failed || std::ferror(initial_);
        }
        Send(m);
        return true;
    }

    void Ended(WorkerMessageKind kind, std::int32_t runNumber) {
        WorkerMessage m = Message(kind);
        m.Number = runNumber;
        Send(m);
        Flush();
    }
    // Everything gathered to the parent; a parent that has gone ends the worker.
    void Flush() {
        if (!WriteAll(ports_.Parent, pending_)) ::_exit(1);
        pending_.clear();
    }

private:
    static WorkerMessage Message(WorkerMessageKind kind, std::string_view text = {}) {
        WorkerMessage m;
        m.Kind = kind;
        m.Text = std::string(text);
        return m;
    }
    void Send(const WorkerMessage& m) {
        EncodeWorkerMessage(m, pending_);
        if (pending_.size() >= MessageBatchBytes) Flush();
    }
    std::FILE* Stream(std::size_t k) const {
        return PerRunFiles[k].File(s_).Handle.get();
    }

    SimulationState& s_;
    WorkerPorts ports_;
    std::FILE* initial_;
    std::string pending_;
    int figureLinesLeft_ = 0;  // the job's own figure lines still to come
    // Where the run in progress began in each stream (the files start empty).
    std::array<std::int64_t, SharedStreamCount> runBegins_{};
};

// Makes run `run` (a run counter), passing over the runs between the last
// one set up and it.  False when the worker cannot go on.
bool MakeRun(SimulationState& s, WorkerChannel& channel, ImpactFile& impacts, std::int32_t run) {
    if (run > s.RunCounter) {
        PassOverTrajectory(s);
        while (s.RunCounter + 1 < run) {
            s.RunCounter += 1;
            ImpactPoint point;
            if (!impacts.ReadPoint(point)) {
                channel.Ended(WorkerMessageKind::PassFailed, s.RunNumber());
                return false;
            }
        }
        if (!SetUpRun(s, impacts, true)) {
            channel.Ended(WorkerMessageKind::RunFailed, s.RunNumber());
            return false;
        }
    }
    FinishRun(s, RunTrajectory(s));
    return true;
}

}  // namespace

void RunWorkerProcess(SimulationState& s, const WorkerPorts& ports) {
    // The parent decides what Ctrl-C does; a worker whose parent has gone
    // has nobody to write for.
    std::signal(SIGINT, SIG_IGN);
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    std::FILE* initial = ports.Initial >= 0 ? ::fdopen(ports.Initial, "wb") : nullptr;
    // The parent's pool threads did not come along through fork(): its
    // object is left alone (joining them here would wait for ever) and the
    // worker starts threads of its own.
    if (s.Workers) {
        const int threads = s.Workers->Threads();
        (void)s.Workers.release();
        s.Workers = std::make_unique<WorkerPool>(threads);
    }
    WorkerChannel channel(s, ports, initial);
    s.Interface = &channel;
    s.Relay = &channel;
    // The job's own files belong to the parent: left alone here (it flushed
    // them before the fork), the worker's temporary files in their place.
    for (std::size_t k = 0; k < SharedStreamCount; ++k) {
        OutputFile& file = PerRunFiles[k].File(s);
        (void)file.Handle.release();
        if (ports.Streams[k] < 0) continue;
        file.Handle.reset(::fdopen(ports.Streams[k], PerRunFiles[k].RecordBytes > 0 ? "wb" : "w"));
        if (file.Handle) std::setvbuf(file.Handle.get(), nullptr, _IOFBF, StreamBufferBytes);
    }
    // The impact file afresh, after run 1's point: the parent's stream shares
    // its position in the file with every worker's copy of it.
    ImpactFile impacts;
    impacts.Open(s.Inputs.Impact);
    impacts.SkipLines(s.RunOffsetCopy);
    ImpactPoint first;
    impacts.ReadPoint(first);

    WorkerCommand command;
    while (ReadCommand(ports.Parent, command) && command.Kind != WorkerCommandKind::Quit)
        if (command.Kind == WorkerCommandKind::Run && !MakeRun(s, channel, impacts, command.Run))
            break;
    channel.Flush();
    for (std::size_t k = 0; k < SharedStreamCount; ++k)
        if (std::FILE* file = PerRunFiles[k].File(s).Handle.get())
            std::fflush(file);
    if (initial) std::fflush(initial);
    // No destructor of the parent's objects may run here.
    ::_exit(0);
}

}  // namespace vantrel
