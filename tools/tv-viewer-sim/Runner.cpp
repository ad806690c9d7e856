#include "Runner.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "PopupProbe.h"
#include "TimerJournal.h"
#include "VirtualClock.h"
#include "bookmark_writer.h"
#include "dlog.h"
#include "sim_world.h"

namespace tvsim {
namespace {

std::map<std::string, Runner::Verb>& ExtraVerbs() {
    static auto* verbs = new std::map<std::string, Runner::Verb>;
    return *verbs;
}

bool IsAction(const std::string& verb) {
    return verb == "key" || verb == "keydown" || verb == "keyup" || verb == "message" || verb == "pvr-result" ||
           verb == "advance" || verb == "lifecycle" || verb == "click";
}

std::string Join(const std::vector<std::string>& words, std::size_t from) {
    std::string out;
    for (std::size_t i = from; i < words.size(); ++i) {
        if (!out.empty()) out += ' ';
        out += words[i];
    }
    return out;
}

std::string Describe(const vsim::Entry& e) {
    if (e.kind == "launch") return "launch " + e.name + " " + e.text + " (" + e.via + ")";
    if (e.kind == "result") return "result " + e.text;
    if (e.kind == "pvr") return "pvr " + e.name + (e.text.empty() ? "" : " " + e.text);
    if (e.kind == "key") return e.text;
    if (e.kind == "timer") return "timer " + e.text;
    if (e.kind == "note") return e.text.empty() ? e.name : (e.name == "pvr-result" ? "pvr-result " + e.text : e.text);
    if (e.kind == "log") return "log " + vsim::LogMessage(e);
    return e.kind + " " + e.name + " " + e.text;
}

std::string Seen(const std::vector<vsim::Entry>& entries, const std::string& kind) {
    std::string out;
    for (const auto& e : entries) {
        if (e.kind != kind) continue;
        out += "\n      seen: " + Describe(e);
    }
    return out.empty() ? "\n      seen: nothing" : out;
}

// Log levels as the gadget writes them: the system log at warning, the main log at a priority.
bool LevelMatches(const std::string& level, const vsim::Entry& e) {
    if (level == "sys") return e.logId == LOG_ID_SYSTEM && e.priority == DLOG_WARN;
    if (level == "info") return e.logId == LOG_ID_MAIN && e.priority == DLOG_INFO;
    if (level == "warn") return e.logId == LOG_ID_MAIN && e.priority == DLOG_WARN;
    if (level == "debug") return e.logId == LOG_ID_MAIN && e.priority == DLOG_DEBUG;
    return false;
}

}  // namespace

bool ParseDuration(const std::string& text, long long* us) {
    std::size_t digits = 0;
    while (digits < text.size() && (isdigit(static_cast<unsigned char>(text[digits])) || text[digits] == '.')) ++digits;
    if (digits == 0) return false;
    std::string number = text.substr(0, digits);
    std::string unit = text.substr(digits);
    double value = 0;
    try {
        value = std::stod(number);
    } catch (...) {
        return false;
    }
    double scale;
    if (unit.empty() || unit == "ms")
        scale = 1000.0;
    else if (unit == "us")
        scale = 1.0;
    else if (unit == "s")
        scale = 1000000.0;
    else
        return false;
    *us = std::llround(value * scale);
    return true;
}

void Runner::AddVerb(const std::string& name, Verb verb) { ExtraVerbs()[name] = std::move(verb); }

Runner::Runner(Viewer& viewer, std::ostream& out, RunOptions options)
    : m_viewer(viewer), m_out(out), m_options(std::move(options)) {
    m_actionMark = vsim::JournalSize();
    m_printed = m_actionMark;
    for (const std::string& name : vsim::FactNames())
        if (const vsim::Values* values = vsim::Fact(name)) m_startFacts.emplace_back(name, *values);
}

void Runner::StartRow() {
    m_viewer.Destroy();
    m_viewer.Exit();
    vsim::ResetWorld();
    for (const auto& fact : m_startFacts) {
        const vsim::Values* now = vsim::Fact(fact.first);
        if (!now || *now != fact.second) vsim::SetFact(fact.first, fact.second);
    }
    // The journal starts afresh with the world.
    m_actionMark = m_printed = vsim::JournalSize();
    m_lastVerdict = -1;
    m_lastKey.clear();
    m_viewer.SetAnswers(true);
    m_viewer.SetFocus(true);
    m_viewer.Init();
    m_viewer.Settle();
}

std::vector<vsim::Entry> Runner::SinceAction() const { return vsim::JournalSince(m_actionMark); }

void Runner::BeginAction() { m_actionMark = vsim::JournalSize(); }

void Runner::PrintNew() {
    std::vector<vsim::Entry> entries = vsim::JournalSince(m_printed);
    m_printed += entries.size();
    if (m_options.quiet) return;
    for (const auto& e : entries) {
        if (e.kind == "call") continue;
        if (e.kind == "log" && !m_options.showLogs) continue;
        m_out << "        " << Describe(e) << "\n";
    }
}

RunResult Runner::Run(const std::vector<Command>& commands) {
    RunResult result;
    int failedRow = 0;  // the outline row that failed, skipped to its end
    for (const Command& c : commands) {
        if (failedRow && c.row == failedRow) continue;
        failedRow = 0;
        if (c.verb == "outline-row") ++result.rows;
        ++result.commands;
        if (c.verb == "expect") ++result.expectations;
        if (!m_options.quiet) {
            m_out << (c.line < 10    ? "   "
                      : c.line < 100 ? "  "
                                     : " ")
                  << c.line << (c.row && !c.column && c.verb != "outline-row" ? " : " : " | ");
            std::size_t first = c.source.find_first_not_of(" \t");
            m_out << (first == std::string::npos ? "" : c.source.substr(first)) << "\n";
        }
        std::string failure;
        const std::size_t goneDeletes = GoneTimerDeletes();
        bool ok = Execute(c, &failure);
        if (ok && GoneTimerDeletes() != goneDeletes) {
            ok = false;
            failure = "the gadget deleted a timer that had already stopped or been deleted";
        }
        PrintNew();
        if (!ok) {
            ++result.failures;
            std::ostringstream line;
            line << "line " << c.line;
            if (c.column)
                line << ", column " << c.column << " (" << c.columnName << ")";
            else if (c.row && c.line != c.row)
                line << ", set-up of the row at line " << c.row;
            line << ": " << failure;
            result.failureLines.push_back(line.str());
            m_out << "FAILED " << line.str() << "\n";
            if (!c.row) break;
            failedRow = c.row;
        }
    }
    return result;
}

bool Runner::Execute(const Command& c, std::string* failure) {
    if (IsAction(c.verb)) {
        BeginAction();
        return Act(c, failure);
    }
    if (c.verb == "expect") return Expect(c, failure);
    if (c.verb == "outline-row") {
        StartRow();
        return true;
    }
    if (c.verb == "viewer-focus") {
        // The viewer's window loses the focus while another application is in front.
        if (c.args.size() != 1 || (c.args[0] != "in" && c.args[0] != "out")) {
            *failure = "viewer-focus takes in or out";
            return false;
        }
        m_viewer.SetFocus(c.args[0] == "in");
        return true;
    }
    if (c.verb == "set") {
        if (c.args.empty()) {
            *failure = "set needs a fact name";
            return false;
        }
        vsim::SetFact(c.args[0], std::vector<std::string>(c.args.begin() + 1, c.args.end()));
        return true;
    }
    if (c.verb == "unset") {
        if (c.args.size() != 1) {
            *failure = "unset needs one fact name";
            return false;
        }
        vsim::ClearFact(c.args[0]);
        return true;
    }
    if (c.verb == "bookmarks") {
        // The recording's bookmark file as the PVR service would have left it.
        if (c.args.empty()) {
            *failure = "bookmarks needs a recording URI";
            return false;
        }
        std::string path = vsim::BookmarkPathFor(c.args[0]);
        std::string dir = path.substr(0, path.find_last_of('/'));
        std::error_code ignored;
        if (!dir.empty() && dir != path) std::filesystem::create_directories(dir, ignored);
        return vsim::WriteBookmarkFile(path, std::vector<std::string>(c.args.begin() + 1, c.args.end()), failure);
    }
    if (c.verb == "sports-recording") {
        if (c.args.size() > 1) {
            *failure = "sports-recording takes at most a recording URI";
            return false;
        }
        vsim::SetSportsRecording(c.args.empty() ? std::string() : c.args[0]);
        return true;
    }
    if (c.verb == "wall-clock") {
        // Only the date and time of day move; timers and debounce gaps do not.
        if (c.args.size() != 1 || !vclock::SetWallClock(c.args[0])) {
            *failure = "wall-clock takes a UTC time, YYYY-MM-DDTHH:MM:SSZ";
            return false;
        }
        return true;
    }
    if (c.verb == "viewer-answers") {
        if (c.args.size() != 1 || (c.args[0] != "on" && c.args[0] != "off")) {
            *failure = "viewer-answers takes on or off";
            return false;
        }
        m_viewer.SetAnswers(c.args[0] == "on");
        return true;
    }
    if (c.verb == "screenshot") {
        if (c.args.size() != 1) {
            *failure = "screenshot needs a file name";
            return false;
        }
        std::string path = c.args[0];
        if (!path.empty() && path[0] != '/' && !m_options.baseDir.empty()) path = m_options.baseDir + "/" + path;
        std::string error;
        if (!m_viewer.Screenshot(path, &error)) {
            *failure = error;
            return false;
        }
        if (!m_options.quiet) m_out << "        wrote " << path << "\n";
        return true;
    }
    auto extra = ExtraVerbs().find(c.verb);
    if (extra != ExtraVerbs().end()) return extra->second(c, failure);
    *failure = "unknown verb '" + c.verb + "'";
    return false;
}

bool Runner::Act(const Command& c, std::string* failure) {
    const auto& a = c.args;
    if (c.verb == "key" || c.verb == "keydown" || c.verb == "keyup") {
        if (a.size() != 1) {
            *failure = c.verb + " needs one key name";
            return false;
        }
        m_lastKey = a[0];
        if (c.verb != "keyup") m_lastVerdict = m_viewer.KeyDown(a[0]);
        if (c.verb != "keydown") m_lastVerdict = m_viewer.KeyUp(a[0]);
    } else if (c.verb == "message") {
        std::vector<std::pair<std::string, std::string>> extras;
        if (a.size() % 2 != 0) {
            *failure = "message takes KEY VALUE pairs";
            return false;
        }
        for (std::size_t i = 0; i + 1 < a.size(); i += 2) extras.emplace_back(a[i], a[i + 1]);
        m_viewer.Message(extras);
    } else if (c.verb == "pvr-result") {
        long long method, code;
        if (a.size() != 2 || !vsim::ParseInt(a[0], &method) || !vsim::ParseInt(a[1], &code)) {
            *failure = "pvr-result needs METHOD RESULT";
            return false;
        }
        m_viewer.PvrResult(static_cast<int>(method), static_cast<int>(code));
    } else if (c.verb == "advance") {
        long long us;
        if (a.size() != 1 || !ParseDuration(a[0], &us)) {
            *failure = "advance needs a duration (e.g. 1500, 200ms, 199999us, 2s)";
            return false;
        }
        // Answers the viewer owes are delivered as time goes by.
        while (us > 0) {
            long long step = us < 1000 ? us : 1000;
            vclock::AdvanceAndRun(step, step);
            m_viewer.Settle();
            us -= step;
        }
        return true;
    } else if (c.verb == "click") {
        if (a.size() != 1 || a[0] != "popup-button") {
            *failure = "click popup-button";
            return false;
        }
        evas_smart_objects_calculate(evas_object_evas_get(m_viewer.Window()));
        PopupView view = ProbePopup(m_viewer.Window());
        if (!view.button || !ClickCentre(view.button)) {
            *failure = "no pop-up button on screen to click";
            return false;
        }
        m_viewer.Settle();
    } else if (c.verb == "lifecycle") {
        if (a.size() != 1) {
            *failure = "lifecycle needs one step";
            return false;
        }
        const std::string& step = a[0];
        if (step == "create")
            m_viewer.Create();
        else if (step == "start")
            m_viewer.Start();
        else if (step == "pause")
            m_viewer.Pause();
        else if (step == "resume")
            m_viewer.Resume();
        else if (step == "destroy")
            m_viewer.Destroy();
        else if (step == "exit")
            m_viewer.Exit();
        else if (step == "init")
            m_viewer.Init();
        else {
            *failure = "unknown lifecycle step '" + step + "'";
            return false;
        }
    }
    m_viewer.Settle();
    return true;
}

bool Runner::Expect(const Command& c, std::string* failure) {
    if (c.args.empty()) {
        *failure = "expect what?";
        return false;
    }
    const std::string& what = c.args[0];
    const auto since = SinceAction();
    auto none = [&](const std::string& kind, const std::string& label) {
        for (const auto& e : since)
            if (e.kind == kind) {
                *failure = "expected " + label + ", saw " + Describe(e);
                return false;
            }
        return true;
    };

    if (what == "consumed" || what == "returned") {
        int want = what == "consumed" ? 0 : 1;
        if (m_lastVerdict == want) return true;
        *failure = "expected key " + m_lastKey + " " + what + ", it was " +
                   (m_lastVerdict < 0    ? std::string("never sent")
                    : m_lastVerdict == 0 ? "consumed"
                                         : "returned");
        return false;
    }
    if (what == "result") {
        if (c.args.size() != 3) {
            *failure = "expect result KEY VALUE";
            return false;
        }
        for (const auto& e : since)
            if (e.kind == "result" && e.extras.size() == 1 && e.extras[0].first == c.args[1] &&
                e.extras[0].second == c.args[2])
                return true;
        *failure = "no result " + c.args[1] + " " + c.args[2] + Seen(since, "result");
        return false;
    }
    if (what == "no-result") return none("result", "no result message");
    if (what == "launch") {
        if (c.args.size() < 2) {
            *failure = "expect launch APPID [K=V ...]";
            return false;
        }
        vsim::Extras want;
        std::string via;  // "via=aul" or "via=app_control": the launch mechanism
        for (std::size_t i = 2; i < c.args.size(); ++i) {
            std::size_t eq = c.args[i].find('=');
            if (eq == std::string::npos) {
                *failure = "extra '" + c.args[i] + "' is not K=V";
                return false;
            }
            if (c.args[i].compare(0, eq, "via") == 0)
                via = c.args[i].substr(eq + 1);
            else
                want.emplace_back(c.args[i].substr(0, eq), c.args[i].substr(eq + 1));
        }
        for (const auto& e : since)
            if (e.kind == "launch" && e.name == c.args[1] && (want.empty() || e.extras == want) &&
                (via.empty() || e.via == via))
                return true;
        *failure = "no launch of " + c.args[1] + (want.empty() ? "" : " with those extras") + Seen(since, "launch");
        return false;
    }
    if (what == "no-launch") return none("launch", "no launch");
    if (what == "launches" || what == "results") {
        long long want;
        if (c.args.size() != 2 || !vsim::ParseInt(c.args[1], &want)) {
            *failure = "expect " + what + " N";
            return false;
        }
        const std::string kind = what == "launches" ? "launch" : "result";
        long long have = 0;
        for (const auto& e : since) have += e.kind == kind;
        if (have == want) return true;
        *failure = "expected " + c.args[1] + " " + what + ", there were " + std::to_string(have) + Seen(since, kind);
        return false;
    }
    if (what == "call" || what == "no-call") {
        // A platform or toolkit call, with exactly these arguments when given.
        if (c.args.size() < 2) {
            *failure = "expect " + what + " NAME [ARGS]";
            return false;
        }
        std::string args = Join(c.args, 2);
        bool found = false;
        for (const auto& e : since)
            if (e.kind == "call" && e.name == c.args[1] && (c.args.size() == 2 || e.text == args)) found = true;
        if (found == (what == "call")) return true;
        std::string seen;
        for (const auto& e : since)
            if (e.kind == "call" && e.name == c.args[1]) seen += "\n      seen: " + e.name + " " + e.text;
        *failure = (what == "call" ? "no call " : "unexpected call ") + c.args[1] + (args.empty() ? "" : " " + args) +
                   (seen.empty() ? "\n      seen: no call of it" : seen);
        return false;
    }
    if (what == "calls") {
        long long want;
        if (c.args.size() != 3 || !vsim::ParseInt(c.args[2], &want)) {
            *failure = "expect calls NAME N";
            return false;
        }
        long long have = 0;
        for (const auto& e : since) have += e.kind == "call" && e.name == c.args[1];
        if (have == want) return true;
        *failure = "expected " + c.args[2] + " calls of " + c.args[1] + ", there were " + std::to_string(have);
        return false;
    }
    if (what == "pvr") {
        if (c.args.size() < 2) {
            *failure = "expect pvr CALL [ARGS]";
            return false;
        }
        std::string args = Join(c.args, 2);
        for (const auto& e : since)
            if (e.kind == "pvr" && e.name == c.args[1] && (args.empty() || e.text == args)) return true;
        *failure = "no pvr request " + c.args[1] + (args.empty() ? "" : " " + args) + Seen(since, "pvr");
        return false;
    }
    if (what == "no-pvr") {
        for (const auto& e : since) {
            if (e.kind != "pvr") continue;
            if (c.args.size() > 1 && e.name != c.args[1]) continue;
            *failure = "expected no pvr request, saw " + Describe(e);
            return false;
        }
        return true;
    }
    if (what == "log" || what == "no-log") {
        // expect log [sys|info|warn|debug] "MESSAGE"
        static const char* const kLevels[] = {"sys", "info", "warn", "debug"};
        bool leveled = c.args.size() == 3;
        bool known = !leveled;
        for (const char* level : kLevels) known = known || c.args[1] == level;
        if ((c.args.size() != 2 && !leveled) || !known) {
            *failure = "expect " + what + " [sys|info|warn|debug] \"MESSAGE\"";
            return false;
        }
        const std::string& message = c.args.back();
        bool found = false, elsewhere = false;
        for (const auto& e : since) {
            if (e.kind != "log" || vsim::LogMessage(e) != message) continue;
            if (!leveled || LevelMatches(c.args[1], e))
                found = true;
            else
                elsewhere = true;
        }
        if (found == (what == "log")) return true;
        *failure = (what == "log" ? "no log line \"" : "unexpected log line \"") + message + "\"" +
                   (leveled ? " at " + c.args[1] : "") +
                   (elsewhere && what == "log" ? " (written at another level)" : "") +
                   (what == "log" && !elsewhere ? Seen(since, "log") : "");
        return false;
    }
    if (what == "popup") {
        if (c.args.size() != 2 || (c.args[1] != "shown" && c.args[1] != "hidden")) {
            *failure = "expect popup shown|hidden";
            return false;
        }
        bool shown = m_viewer.PopupShown();
        if (shown == (c.args[1] == "shown")) return true;
        *failure = std::string("expected the pop-up ") + c.args[1] + ", it is " + (shown ? "shown" : "hidden");
        return false;
    }
    if (what == "popup-text") {
        if (c.args.size() != 2) {
            *failure = "expect popup-text \"TEXT\"";
            return false;
        }
        PopupView view = ProbePopup(m_viewer.Window());
        std::string shown;
        for (const std::string& text : view.texts) {
            if (text == c.args[1]) return true;
            shown += "\n      seen: \"" + text + "\"";
        }
        *failure = "the pop-up shows no text \"" + c.args[1] + "\"" + (shown.empty() ? "\n      seen: nothing" : shown);
        return false;
    }
    if (what == "popup-progress") {
        double want = 0;
        bool parsed = false;
        if (c.args.size() == 2) {
            char* end = nullptr;
            want = std::strtod(c.args[1].c_str(), &end);
            parsed = end && end != c.args[1].c_str() && *end == '\0';
        }
        if (!parsed) {
            *failure = "expect popup-progress VALUE (0 to 1)";
            return false;
        }
        PopupView view = ProbePopup(m_viewer.Window());
        if (!view.hasProgress) {
            *failure = "the pop-up shows no progress bar";
            return false;
        }
        if (std::fabs(view.progress - want) < 1e-6) return true;
        *failure = "expected the progress bar at " + c.args[1] + ", it is at " + std::to_string(view.progress);
        return false;
    }
    if (what == "timers") {
        long long want;
        if (c.args.size() != 2 || !vsim::ParseInt(c.args[1], &want)) {
            *failure = "expect timers N";
            return false;
        }
        std::size_t have = PendingGadgetTimerCount();
        if (static_cast<long long>(have) == want) return true;
        *failure = "expected " + c.args[1] + " pending gadget timers, there are " + std::to_string(have);
        return false;
    }
    *failure = "unknown expectation '" + what + "'";
    return false;
}

}  // namespace tvsim
