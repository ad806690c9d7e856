#include "FailRun.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "PopupProbe.h"
#include "TimerJournal.h"
#include "sim_world.h"

namespace tvsim {
namespace {

// Log lines of the failures whose effect outlives the session on purpose
// (docs/reliability.md): a second session may then decide otherwise.
const char* const kKeptFailures[] = {
    "Failed to add base layout",         // the uncreated manager stays the one manager
    "Create Service failed",             // the channel manager keeps no TV service objects
    "Create Service Navigation failed",  //
    "Create Service Guide failed",       //
    "Create source control failed",      //
};

bool KeptByDesign(const std::vector<vsim::Entry>& journal) {
    for (const vsim::Entry& e : journal) {
        if (e.kind != "log") continue;
        std::string message = vsim::LogMessage(e);
        for (const char* kept : kKeptFailures)
            if (message == kept) return true;
    }
    return false;
}

// What the gadget decided, in order: key verdicts, launches, messages to the
// viewer, requests to the PVR service.
std::vector<std::string> Decisions(const std::vector<vsim::Entry>& journal) {
    std::vector<std::string> out;
    for (const vsim::Entry& e : journal) {
        if (e.kind == "key")
            out.push_back(e.text);
        else if (e.kind == "launch")
            out.push_back("launch " + e.name + " " + e.text + " via " + e.via);
        else if (e.kind == "result")
            out.push_back("result " + e.text);
        else if (e.kind == "pvr")
            out.push_back("pvr " + e.name + " " + e.text);
    }
    return out;
}

// The first line the gadget logged after the injected failure.
std::string LogAfterFailure(const std::vector<vsim::Entry>& journal) {
    bool failed = false;
    for (const vsim::Entry& e : journal) {
        if (e.kind == "note" && e.name == "fail") failed = true;
        if (failed && e.kind == "log") return vsim::LogMessage(e);
    }
    return std::string();
}

std::string FirstDifference(const std::vector<std::string>& have, const std::vector<std::string>& want) {
    std::size_t i = 0;
    while (i < have.size() && i < want.size() && have[i] == want[i]) ++i;
    auto at = [i](const std::vector<std::string>& d) { return i < d.size() ? "\"" + d[i] + "\"" : "nothing"; };
    return "the second session decides otherwise: decision " + std::to_string(i + 1) + " is " + at(have) +
           ", unfailed " + at(want);
}

bool StartsRow(const Piece& piece) { return !piece.commands.empty() && piece.commands.front().verb == "outline-row"; }

// The piece's commands as one session; the journal it wrote. The second
// session keeps the library loaded: what a failure left in it must show.
std::vector<vsim::Entry> Session(Runner& runner, const Piece& piece, bool second) {
    // A row starts by emptying the journal, and so does a second session.
    std::size_t mark = StartsRow(piece) || second ? 0 : vsim::JournalSize();
    auto begin = piece.commands.begin() + (second && StartsRow(piece) ? 1 : 0);
    runner.Run(std::vector<Command>(begin, piece.commands.end()));
    return vsim::JournalSince(mark);
}

// What destroy must leave: nothing of the gadget's.
void CheckDestroyed(Viewer& viewer, const char* when, std::vector<std::string>* broken) {
    auto left = [&](std::size_t n, const char* what) {
        if (n) broken->push_back(std::to_string(n) + " " + what + " left " + when);
    };
    left(vsim::KeyHandlerCount(), "key handler(s)");
    left(vsim::KeyClientCount(), "key-event client(s)");
    left(vsim::PvrCallbackCount(), "PVR callback(s)");
    left(PendingGadgetTimerCount(), "timer(s)");
    PopupView view = ProbePopup(viewer.Window());
    left(view.texts.empty() && !view.hasProgress ? 0 : 1, "pop-up on screen");
    left(viewer.PopupShown() ? 1 : 0, "pop-up the gadget calls shown");
}

// What the gadget allocated or was handed to free, and still holds.
void CheckHeld(std::vector<std::string>* broken) {
    if (!vsim::HoldingTracked()) return;
    bool overflow = false;
    std::vector<vsim::FallibleCall> held = vsim::EndHolding(&overflow);
    if (overflow) broken->push_back("more blocks held by the gadget than can be followed");
    if (held.empty()) return;
    std::ostringstream text;
    text << held.size() << " block(s) the gadget held left once it was unloaded:";
    for (const vsim::FallibleCall& block : held) text << " " << block.name << " from +0x" << std::hex << block.offset;
    broken->push_back(text.str());
}

// Destroy at the end of a session, as the framework does when the viewer closes.
void Destroy(Viewer& viewer) {
    viewer.Destroy();
    viewer.Settle();
}

}  // namespace

std::vector<Piece> Pieces(const std::vector<Command>& commands) {
    std::vector<Piece> pieces;
    for (const Command& c : commands) {
        // Pixels are no decision of the gadget's, and encoding them costs
        // more than a run.
        if (c.verb == "screenshot") continue;
        bool starts = pieces.empty() || c.row != pieces.back().commands.back().row;
        if (starts) pieces.push_back({c.row ? c.row : c.line, {}});
        pieces.back().commands.push_back(c);
    }
    return pieces;
}

RunReport RunPiece(Viewer& viewer, Runner& runner, const Piece& piece, long failAt, const RunReport* reference) {
    RunReport report;
    const std::size_t oddAnswers = vsim::OddKeyAnswerCount();
    if (!vsim::StartCounting(failAt)) {
        report.broken.push_back("no gadget library loaded");
        return report;
    }
    std::vector<vsim::Entry> first = Session(runner, piece, false);
    Destroy(viewer);
    vsim::StopCounting();
    report.calls = vsim::CountedCalls();
    report.injected = vsim::InjectedFailure();
    report.failLog = LogAfterFailure(first);
    CheckDestroyed(viewer, "after destroy", &report.broken);

    // The same piece again, the world afresh, the library as the first
    // session left it, and nothing failing.
    std::string ignored;
    runner.Restart(false, &ignored);
    // A framework whose UG_MODULE_INIT failed initialises the module again.
    if (!viewer.InitDone()) viewer.Init();
    std::vector<vsim::Entry> second = Session(runner, piece, true);
    Destroy(viewer);
    CheckDestroyed(viewer, "after the second session", &report.broken);
    report.decisions = Decisions(second);
    if (reference && report.decisions != reference->decisions) {
        if (KeptByDesign(first))
            report.keptByDesign = true;
        else
            report.broken.push_back(FirstDifference(report.decisions, reference->decisions));
    }
    if (vsim::OddKeyAnswerCount() != oddAnswers) report.broken.push_back("a key handler answered other than 0 or 1");
    // Whatever the gadget still holds once its library is gone is a leak.
    std::string unloadError;
    if (!viewer.Unload(&unloadError)) report.broken.push_back(unloadError);
    CheckHeld(&report.broken);
    // The leak checker's search of the whole process also finds what the
    // gadget leaks through the C library, and is most of a run's time: the
    // unfailed run, which takes the paths every failed run branches from,
    // has it.
    if (failAt < 0 && __lsan_do_recoverable_leak_check && __lsan_do_recoverable_leak_check() != 0)
        report.broken.push_back("memory leaked (the leak checker's report is above)");
    report.complete = true;
    return report;
}

bool WriteReport(const std::string& path, const RunReport& report) {
    std::ofstream out(path);
    out << "injected " << report.injected << "\nkept " << report.keptByDesign << "\n";
    for (const auto& call : report.calls) out << "call " << call.offset << " " << call.name << "\n";
    for (const auto& rule : report.broken) out << "broken " << rule << "\n";
    for (const auto& decision : report.decisions) out << "decision " << decision << "\n";
    out << "log " << report.failLog << "\n";
    out << "end\n";
    return static_cast<bool>(out.flush());
}

bool ReadReport(const std::string& path, RunReport* report) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::size_t space = line.find(' ');
        std::string tag = line.substr(0, space);
        std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
        if (tag == "injected") {
            report->injected = rest == "1";
        } else if (tag == "kept") {
            report->keptByDesign = rest == "1";
        } else if (tag == "call") {
            std::istringstream words(rest);
            vsim::FallibleCall call;
            words >> call.offset;
            std::getline(words >> std::ws, call.name);
            report->calls.push_back(call);
        } else if (tag == "broken") {
            report->broken.push_back(rest);
        } else if (tag == "log") {
            report->failLog = rest;
        } else if (tag == "decision") {
            report->decisions.push_back(rest);
        } else if (tag == "end") {
            report->complete = true;
        }
    }
    return report->complete;
}

}  // namespace tvsim
