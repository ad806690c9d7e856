// The sweep: for each piece of each scenario, an unfailed run counts the
// gadget's fallible calls, then one run per call fails that call. Every run
// is a child process forked at the piece's start, so that whatever a failure
// leaves in the process (a crash included) dies with it; each child works in
// a copy of the viewer's scratch folder, so that runs side by side do not
// write one another's bookmark files.
#include "FailEach.h"

#include <Ecore.h>
#include <Ecore_Evas.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include "FailRun.h"
#include "Runner.h"
#include "Scenario.h"
#include "VirtualClock.h"
#include "bookmark_writer.h"

// Present in a coverage build: a run ends with _exit, which writes no counts.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the runtime's name
extern "C" void __gcov_dump() __attribute__((weak));

namespace tvsim {
namespace {

namespace fs = std::filesystem;

// Seconds of real time: the process's own clocks run virtual time.
double RealSeconds() { return static_cast<double>(vclock::RealUs()) / 1e6; }

// Processor time spent by the runs ended so far.
double ChildrenSeconds() {
    rusage usage = {};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A leak check symbolizes every leak it meets, the toolkit's suppressed
// ones included, and that is most of its cost. Checked here first, the runs
// forked next inherit the symbols and check in a tenth of the time.
void WarmLeakChecker() {
    if (__lsan_do_recoverable_leak_check) __lsan_do_recoverable_leak_check();
}

// A forked run shares the viewer's polling sets (epoll instances): Ecore's
// reset of its own pipes after a fork would take them out of the viewer's
// sets too, and the viewer would wait for its render thread forever. The run
// gets sets of its own first, with the same descriptors registered.
void UnsharePollingSets() {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", ec)) {
        std::error_code linkError;
        if (fs::read_symlink(entry.path(), linkError).string() != "anon_inode:[eventpoll]") continue;
        int fd = static_cast<int>(std::strtol(entry.path().filename().c_str(), nullptr, 10));
        int own = epoll_create1(EPOLL_CLOEXEC);
        if (own < 0) continue;
        std::ifstream info("/proc/self/fdinfo/" + entry.path().filename().string());
        for (std::string line; std::getline(info, line);) {
            int target = -1;
            unsigned events = 0;
            unsigned long long data = 0;
            // NOLINTNEXTLINE(cert-err34-c): the kernel writes these fields
            if (std::sscanf(line.c_str(), "tfd: %d events: %x data: %llx", &target, &events, &data) != 3) continue;
            epoll_event event = {};
            event.events = events;
            event.data.u64 = data;
            epoll_ctl(own, EPOLL_CTL_ADD, target, &event);
        }
        dup3(own, fd, O_CLOEXEC);
        close(own);
    }
}

// Real time one run may take before it counts as hung: runs take well under
// a second of processor time, and a hung run spins, taking a processor from
// the others until it is stopped.
const unsigned kRunSeconds = 10;
// Lines of a failed run's error output shown.
const std::size_t kErrorLines = 40;

struct Child {
    pid_t pid = 0;
    long failAt = -1;
    fs::path dir;
    bool retried = false;
};

// A run forked while a thread of the viewer held one of its locks can wait
// on it for ever: a hung run is run once more before it counts.
bool Hung(int status) { return WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM; }

// Per called function: where from, how often failed, what was logged next.
struct CallTotals {
    std::set<std::uintptr_t> sites;
    long injected = 0;
    std::map<std::string, long> logs;
};

struct Totals {
    std::set<std::pair<std::string, std::uintptr_t>> sites;
    std::map<std::string, CallTotals> byCall;
    long repeats = 0;  // cases left out: the same path failed the same way before
    long injected = 0;
    long recovered = 0;
    long kept = 0;
    long faults = 0;
};

class Sweep {
public:
    Sweep(Viewer& viewer, const FailEachOptions& options, std::ostream& out)
        : m_viewer(viewer),
          m_options(options),
          m_out(out),
          m_quiet(viewer, m_null, Quiet(options)),
          m_loud(viewer, out, Loud(options)) {}

    bool Prepare(std::string* error);
    void Finish();
    int File(const std::string& name, const std::vector<Command>& commands);
    const Totals& Result() const { return m_totals; }

private:
    static RunOptions Quiet(const FailEachOptions&) {
        RunOptions o;
        o.quiet = true;
        o.keepGoing = true;
        o.skipIdleTime = true;
        return o;
    }
    static RunOptions Loud(const FailEachOptions& options) {
        RunOptions o = Quiet(options);
        o.quiet = false;
        o.showLogs = options.showLogs;
        return o;
    }

    Child Start(const Piece& piece, long failAt, const RunReport* reference);
    // Waits for one child; false when none is left.
    bool Reap(std::vector<Child>* running, Child* done, int* status);
    RunReport Collect(const Child& child, int status, std::string* fault);
    void Fault(const std::string& where, long failAt, const RunReport& report, const std::string& what,
               const Child& child);
    void SweepPiece(const std::string& name, const Piece& piece);

    Viewer& m_viewer;
    FailEachOptions m_options;
    std::ostream& m_out;
    std::ostream m_null{nullptr};
    Runner m_quiet;
    Runner m_loud;
    fs::path m_root;  // scratch folders of this sweep
    fs::path m_home;  // the viewer's own working folder, copied into every run
    int m_seq = 0;
    std::set<std::uint64_t> m_paths;  // call paths failed so far in this file
    Totals m_totals;
};

bool Sweep::Prepare(std::string* error) {
    // The sweep looks at decisions, not pixels: the canvas renders only when
    // asked to, and never in a forked run, which has not got the toolkit's
    // render thread. Any render still under way ends here.
    Ecore_Evas* canvas = ecore_evas_ecore_evas_get(evas_object_evas_get(m_viewer.Window()));
    if (canvas) {
        ecore_evas_manual_render_set(canvas, EINA_TRUE);
        ecore_evas_manual_render(canvas);
    }
    // Every run stores bookmarks: their pictures are encoded once, here.
    vsim::EncodeDefaultThumbnails();
    std::error_code ec;
    fs::path start = fs::current_path(ec);
    m_root = fs::temp_directory_path(ec) / ("vantro-fail-each." + std::to_string(getpid()));
    m_home = m_root / "home";
    fs::create_directories(m_home, ec);
    // The fallback thumbnail is found relative to the working folder.
    if (!ec && fs::exists(start / "res")) fs::create_directory_symlink(start / "res", m_home / "res", ec);
    if (!ec) fs::current_path(m_home, ec);
    if (ec) *error = "cannot make a scratch folder under " + m_root.string() + ": " + ec.message();
    return !ec;
}

void Sweep::Finish() {
    std::error_code ec;
    fs::current_path(m_root.parent_path(), ec);
    fs::remove_all(m_root, ec);
}

Child Sweep::Start(const Piece& piece, long failAt, const RunReport* reference) {
    Child child;
    child.failAt = failAt;
    child.dir = m_root / ("run" + std::to_string(++m_seq));
    m_out.flush();
    std::fflush(nullptr);
    child.pid = fork();
    if (child.pid != 0) return child;

    // The child: gone with the sweep, polling sets of its own, the scratch
    // folder copied, errors to a file. Ecore's reset after a fork is not
    // done: it reconnects to the toolkit's daemons through the thread pool,
    // whose lock a thread of the viewer may have held at the fork. The child
    // has none of the viewer's threads and needs none, since it never renders.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // Timed from the start: a lock a thread of the viewer held at the fork
    // (the allocator's, say) stays taken, and the first call that needs it
    // waits for ever.
    signal(SIGALRM, SIG_DFL);
    alarm(kRunSeconds);
    UnsharePollingSets();
    std::error_code ec;
    fs::copy(m_home, child.dir, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    if (ec || chdir(child.dir.c_str()) != 0) _exit(3);
    int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (err >= 0) dup2(err, STDERR_FILENO);
    RunReport report = RunPiece(m_viewer, m_quiet, piece, failAt, reference);
    const bool written = WriteReport("report", report);
    if (__gcov_dump) __gcov_dump();
    _exit(written ? 0 : 3);
}

bool Sweep::Reap(std::vector<Child>* running, Child* done, int* status) {
    while (!running->empty()) {
        pid_t pid = waitpid(-1, status, 0);
        if (pid < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        for (auto it = running->begin(); it != running->end(); ++it) {
            if (it->pid != pid) continue;
            *done = *it;
            running->erase(it);
            return true;
        }
    }
    return false;
}

RunReport Sweep::Collect(const Child& child, int status, std::string* fault) {
    RunReport report;
    bool read = ReadReport((child.dir / "report").string(), &report);
    if (WIFSIGNALED(status))
        *fault = WTERMSIG(status) == SIGALRM ? "hung (no end after " + std::to_string(kRunSeconds) + " s)"
                                             : std::string("crashed: ") + strsignal(WTERMSIG(status));
    else if (!read || WEXITSTATUS(status) != 0)
        *fault = "ended early with status " + std::to_string(WEXITSTATUS(status)) +
                 " (a sanitizer's report, or the run could not start)";
    return report;
}

void Sweep::Fault(const std::string& where, long failAt, const RunReport& report, const std::string& what,
                  const Child& child) {
    ++m_totals.faults;
    m_out << "FAULT " << where;
    if (failAt >= 0) {
        m_out << ", call " << failAt;
        if (static_cast<std::size_t>(failAt) < report.calls.size()) {
            const vsim::FallibleCall& call = report.calls[static_cast<std::size_t>(failAt)];
            m_out << " (" << call.name << " from +0x" << std::hex << call.offset << std::dec << ")";
        }
        m_out << " failing";
    } else {
        m_out << ", nothing failing";
    }
    m_out << ": " << what << "\n";
    // The run's own account of it: the tail of its error output.
    std::ifstream err(child.dir / "stderr.txt");
    std::deque<std::string> tail;
    for (std::string line; std::getline(err, line);) {
        tail.push_back(line);
        if (tail.size() > kErrorLines) tail.pop_front();
    }
    for (const std::string& line : tail) m_out << "    | " << line << "\n";
}

void Sweep::SweepPiece(const std::string& name, const Piece& piece) {
    const std::string where = name + ":" + std::to_string(piece.line);
    WarmLeakChecker();
    std::vector<Child> running{Start(piece, -1, nullptr)};
    Child done;
    int status = 0;
    RunReport reference;
    bool reaped = Reap(&running, &done, &status);
    if (reaped && Hung(status)) {
        running.push_back(Start(piece, -1, nullptr));
        running.back().retried = true;
        reaped = Reap(&running, &done, &status);
    }
    if (reaped) {
        std::string fault;
        reference = Collect(done, status, &fault);
        for (const std::string& rule : reference.broken) fault += (fault.empty() ? "" : "; ") + rule;
        if (!fault.empty()) Fault(where, -1, reference, fault, done);
        std::error_code ec;
        fs::remove_all(done.dir, ec);
    }
    for (const vsim::FallibleCall& call : reference.calls) {
        m_totals.sites.emplace(call.name, call.offset);
        m_totals.byCall[call.name].sites.insert(call.offset);
    }
    const long calls = static_cast<long>(reference.calls.size());
    if (m_options.onlyLine) {
        // One case, here and now, with its transcript.
        if (m_options.onlyCall >= calls) {
            m_out << where << ": only " << calls << " fallible calls\n";
            return;
        }
        RunReport report = RunPiece(m_viewer, m_loud, piece, m_options.onlyCall, &reference);
        m_out << where << ", call " << m_options.onlyCall
              << " failing: " << (report.broken.empty() ? "came through" : "broke rules") << "\n";
        for (const std::string& rule : report.broken) m_out << "  " << rule << "\n";
        m_totals.faults += report.broken.empty() ? 0 : 1;
        return;
    }
    // A call failing at the end of the same path of calls as a case already
    // run in this file (an outline's rows share their creation, say) takes
    // the gadget down the same recovery: it is not run again.
    std::vector<bool> repeat(reference.calls.size(), false);
    std::uint64_t path = 1469598103934665603ULL;
    for (std::size_t k = 0; k < reference.calls.size(); ++k) {
        path = (path ^ reference.calls[k].offset) * 1099511628211ULL;
        repeat[k] = !m_paths.insert(path).second;
    }
    long next = 0;
    while (next < calls || !running.empty()) {
        if (next < calls && repeat[static_cast<std::size_t>(next)]) {
            ++next;
            ++m_totals.repeats;
            continue;
        }
        if (next < calls && static_cast<int>(running.size()) < m_options.jobs) {
            running.push_back(Start(piece, next++, &reference));
            continue;
        }
        if (!Reap(&running, &done, &status)) break;
        if (Hung(status) && !done.retried) {
            running.push_back(Start(piece, done.failAt, &reference));
            running.back().retried = true;
            continue;
        }
        std::string fault;
        RunReport report = Collect(done, status, &fault);
        if (report.calls.empty()) report.calls = reference.calls;
        for (const std::string& rule : report.broken) fault += (fault.empty() ? "" : "; ") + rule;
        m_totals.injected += report.injected || !fault.empty() ? 1 : 0;
        if (report.injected && static_cast<std::size_t>(done.failAt) < reference.calls.size()) {
            CallTotals& call = m_totals.byCall[reference.calls[static_cast<std::size_t>(done.failAt)].name];
            ++call.injected;
            ++call.logs[report.failLog.empty() ? "(nothing logged)" : report.failLog];
        }
        if (!fault.empty())
            Fault(where, done.failAt, report, fault, done);
        else if (report.keptByDesign)
            ++m_totals.kept;
        else
            ++m_totals.recovered;
        std::error_code ec;
        fs::remove_all(done.dir, ec);
    }
}

int Sweep::File(const std::string& name, const std::vector<Command>& commands) {
    const double begin = RealSeconds();
    const double cpuBefore = ChildrenSeconds();
    Totals before = m_totals;
    m_paths.clear();
    std::vector<Piece> pieces = Pieces(commands);
    // Every file starts as the viewer does, whatever the one before left.
    std::string ignored;
    m_quiet.Restart(true, &ignored);
    for (const Piece& piece : pieces) {
        if (!m_options.onlyLine || m_options.onlyLine == piece.line) SweepPiece(name, piece);
        // On to the next piece from where this one leaves the viewer.
        m_quiet.Run(piece.commands);
    }
    const double seconds = RealSeconds() - begin;
    m_out << name << ": " << pieces.size() << " pieces, " << (m_totals.injected - before.injected)
          << " failures injected, " << (m_totals.recovered - before.recovered) << " recoveries, "
          << (m_totals.kept - before.kept) << " kept by design, " << (m_totals.faults - before.faults) << " faults, "
          << (m_totals.repeats - before.repeats) << " repeated paths left out (" << std::fixed << std::setprecision(1)
          << seconds << " s, runs' processor time " << ChildrenSeconds() - cpuBefore << " s)\n";
    return m_totals.faults == before.faults ? 0 : 1;
}

}  // namespace

int FailEach(Viewer& viewer, const std::vector<std::string>& files, const FailEachOptions& options, std::ostream& out) {
    // Every file is read before the sweep leaves the working folder.
    std::vector<std::pair<std::string, std::vector<Command>>> scenarios;
    for (const std::string& file : files) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        std::vector<ParseError> errors;
        std::vector<Command> commands = ParseScenario(text.str(), &errors);
        if (!in || !errors.empty()) {
            std::cerr << file << ": cannot be read or parsed\n";
            return 2;
        }
        scenarios.emplace_back(file, std::move(commands));
    }
    Sweep sweep(viewer, options, out);
    std::string error;
    if (!sweep.Prepare(&error)) {
        std::cerr << "tv-viewer-sim: " << error << "\n";
        return 2;
    }
    int status = 0;
    for (const auto& scenario : scenarios) status |= sweep.File(scenario.first, scenario.second);
    sweep.Finish();
    const Totals& t = sweep.Result();
    out << "fail-each: " << t.sites.size() << " call sites reached, " << t.injected << " failures injected, "
        << t.recovered << " recoveries seen, " << t.kept << " kept by design, " << t.faults << " faults\n";
    for (const auto& call : t.byCall) {
        out << "  " << call.first << ": " << call.second.sites.size() << " sites, " << call.second.injected
            << " failures; logged next:";
        for (const auto& log : call.second.logs) out << " \"" << log.first << "\" x" << log.second << ";";
        out << "\n";
    }
    return status;
}

}  // namespace tvsim
