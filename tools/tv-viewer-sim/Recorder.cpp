#include "Recorder.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "PopupProbe.h"
#include "VirtualClock.h"
#include "dlog.h"
#include "sim_world.h"

namespace tvsim {
namespace {

// A word as the scenario parser reads it back.
std::string Word(const std::string& word) {
    if (!word.empty() && word.find_first_of(" \t\"#;|\\\n") == std::string::npos) return word;
    std::string out = "\"";
    for (char c : word) {
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Line(std::initializer_list<std::string> words) {
    std::string out;
    for (const std::string& w : words) out += (out.empty() ? "" : " ") + Word(w);
    return out;
}

const char* Level(const vsim::Entry& e) {
    if (e.logId == LOG_ID_SYSTEM && e.priority == DLOG_WARN) return "sys";
    if (e.logId != LOG_ID_MAIN) return nullptr;
    if (e.priority == DLOG_INFO) return "info";
    if (e.priority == DLOG_WARN) return "warn";
    if (e.priority == DLOG_DEBUG) return "debug";
    return nullptr;
}

// Addresses differ from run to run: such a line cannot be expected exactly.
bool HoldsAddress(const std::string& text) {
    for (std::size_t at = text.find("0x"); at != std::string::npos; at = text.find("0x", at + 2)) {
        std::size_t digits = 0;
        while (at + 2 + digits < text.size() && std::isxdigit(static_cast<unsigned char>(text[at + 2 + digits])))
            ++digits;
        if (digits >= 8) return true;
    }
    return false;
}

std::string Indent(const std::string& source) { return source.substr(0, source.find_first_not_of(" \t")); }

}  // namespace

Recorder::Recorder(Viewer& viewer, Runner& runner, bool logs) : m_viewer(viewer), m_runner(runner), m_logs(logs) {}

std::vector<std::string> Recorder::Observe(const std::string& verb, std::size_t mark) {
    std::vector<std::string> lines;
    std::set<std::string> written;
    auto add = [&](const std::string& line) {
        if (written.insert(line).second) lines.push_back("expect " + line);
    };
    const std::vector<vsim::Entry> since = vsim::JournalSince(mark);
    if (verb == "key" || verb == "keydown" || verb == "keyup") {
        // The verdict the runner keeps is the last event's: key-up for a press.
        for (auto e = since.rbegin(); e != since.rend(); ++e)
            if (e->kind == "key") {
                add(e->verdict == 0 ? "consumed" : "returned");
                break;
            }
    }
    int launches = 0, results = 0, requests = 0;
    std::map<std::string, int> perRequest;
    for (const vsim::Entry& e : since) {
        if (e.kind == "launch") {
            ++launches;
            std::string line = Line({"launch", e.name});
            for (const auto& extra : e.extras) line += " " + Word(extra.first + "=" + extra.second);
            if (!e.via.empty()) line += " via=" + e.via;
            add(line);
        } else if (e.kind == "result") {
            ++results;
            if (e.extras.size() == 1) add(Line({"result", e.extras[0].first, e.extras[0].second}));
        } else if (e.kind == "pvr") {
            ++requests;
            ++perRequest[e.name];
            add(e.text.empty() ? Line({"pvr", e.name}) : Line({"pvr", e.name, e.text}));
        } else if (e.kind == "log" && m_logs && !HoldsAddress(vsim::LogMessage(e))) {
            const char* level = Level(e);
            add(level ? Line({"log", level, vsim::LogMessage(e)}) : Line({"log", vsim::LogMessage(e)}));
        }
    }
    // Counts pin what "expect launch" and "expect pvr" alone would let pass twice.
    add(launches ? "launches " + std::to_string(launches) : "no-launch");
    add(results ? "results " + std::to_string(results) : "no-result");
    if (!requests) add("no-pvr");
    for (const auto& request : perRequest)
        if (request.second > 1) add(Line({"calls", request.first, std::to_string(request.second)}));
    add(m_viewer.PopupShown() ? "popup shown" : "popup hidden");
    PopupView view = ProbePopup(m_viewer.Window());
    for (const std::string& text : view.texts) add(Line({"popup-text", text}));
    if (view.hasProgress) {
        char value[32];
        std::snprintf(value, sizeof value, "%.9g", view.progress);
        add(std::string("popup-progress ") + value);
    }
    return lines;
}

void Recorder::WriteObserved(const std::string& verb, std::size_t mark, const std::string& indent) {
    for (const std::string& line : Observe(verb, mark)) {
        m_text += indent + line + "\n";
        ++m_expectations;
    }
}

bool Recorder::RunScenario(const std::string& text, const std::vector<Command>& commands, std::string* failure) {
    std::map<int, const Command*> byLine;
    for (const Command& c : commands) {
        if (c.row) {
            *failure = "line " + std::to_string(c.line) + ": outlines cannot be recorded yet";
            return false;
        }
        byLine[c.line] = &c;
    }
    std::istringstream in(text);
    std::string source;
    int number = 0;
    while (std::getline(in, source)) {
        auto found = byLine.find(++number);
        if (found == byLine.end()) {
            m_text += source + "\n";  // blank lines and comments
            continue;
        }
        const Command& c = *found->second;
        if (c.verb == "expect") continue;  // replaced by what is seen now
        std::size_t mark = vsim::JournalSize();
        std::string error;
        if (!m_runner.Execute(c, &error)) {
            *failure = "line " + std::to_string(c.line) + ": " + error;
            return false;
        }
        m_text += source + "\n";
        if (IsActionVerb(c.verb)) WriteObserved(c.verb, mark, Indent(source));
    }
    m_timeMark = vclock::NowUs();
    m_journalMark = vsim::JournalSize();
    return true;
}

void Recorder::FlushTime() {
    if (!m_windowStarted) {
        m_windowStarted = true;
        m_text += "# window session\n";
    }
    long long ms = std::llround(static_cast<double>(vclock::NowUs() - m_timeMark) / 1000.0);
    if (ms > 0) {
        m_text += "advance " + std::to_string(ms) + "ms\n";
        WriteObserved("advance", m_journalMark, "");
    }
    // The replay starts focused; a real window may not be.
    int focus = elm_win_focus_get(m_viewer.Window()) ? 1 : 0;
    if (focus != (m_focus < 0 ? 1 : m_focus)) m_text += std::string("viewer-focus ") + (focus ? "in" : "out") + "\n";
    m_focus = focus;
}

int Recorder::PressKey(const std::string& remote) {
    FlushTime();
    std::size_t mark = vsim::JournalSize();
    int down = m_viewer.KeyDown(remote);
    m_viewer.KeyUp(remote);
    m_viewer.Settle();
    m_text += "key " + Word(remote) + "\n";
    WriteObserved("key", mark, "");
    m_timeMark = vclock::NowUs();
    m_journalMark = vsim::JournalSize();
    return down;
}

void Recorder::Finish() {
    if (m_windowStarted) FlushTime();
}

}  // namespace tvsim
