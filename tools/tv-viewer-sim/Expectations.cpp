// Expectations: each looks at what happened since the last action.
#include <cmath>
#include <cstdlib>

#include "PopupProbe.h"
#include "TimerJournal.h"
#include "Verbs.h"
#include "dlog.h"

namespace tvsim {
namespace {

using Args = std::vector<std::string>;
using Entries = std::vector<vsim::Entry>;

std::string Join(const Args& words) {
    std::string out;
    for (const std::string& w : words) out += (out.empty() ? "" : " ") + w;
    return out;
}

std::string Seen(const Entries& entries, const std::string& kind) {
    std::string out;
    for (const auto& e : entries)
        if (e.kind == kind) out += "\n      seen: " + Describe(e);
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

VerbHandler Verdict(int want, const std::string& what) {
    return [want, what](RunContext& r, const Command&, const Args&, std::string* failure) {
        if (r.lastVerdict == want) return true;
        *failure = "expected key " + r.lastKey + " " + what + ", it was " +
                   (r.lastVerdict < 0    ? std::string("never sent")
                    : r.lastVerdict == 0 ? "consumed"
                                         : "returned");
        return false;
    };
}

VerbHandler None(const std::string& kind, const std::string& label) {
    return [kind, label](RunContext& r, const Command&, const Args&, std::string* failure) {
        for (const auto& e : r.SinceAction())
            if (e.kind == kind) {
                *failure = "expected " + label + ", saw " + Describe(e);
                return false;
            }
        return true;
    };
}

VerbHandler Count(const std::string& kind, const std::string& what) {
    return [kind, what](RunContext& r, const Command&, const Args& a, std::string* failure) {
        long long want;
        if (!vsim::ParseInt(a[0], &want)) return false;
        const Entries since = r.SinceAction();
        long long have = 0;
        for (const auto& e : since) have += e.kind == kind;
        if (have == want) return true;
        *failure = "expected " + a[0] + " " + what + ", there were " + std::to_string(have) + Seen(since, kind);
        return false;
    };
}

bool Launch(RunContext& r, const Args& a, std::string* failure) {
    vsim::Extras want;
    std::string via;  // "via=aul" or "via=app_control": the launch mechanism
    for (std::size_t i = 1; i < a.size(); ++i) {
        std::size_t eq = a[i].find('=');
        if (eq == std::string::npos) {
            *failure = "extra '" + a[i] + "' is not K=V";
            return false;
        }
        if (a[i].compare(0, eq, "via") == 0)
            via = a[i].substr(eq + 1);
        else
            want.emplace_back(a[i].substr(0, eq), a[i].substr(eq + 1));
    }
    const Entries since = r.SinceAction();
    for (const auto& e : since)
        if (e.kind == "launch" && e.name == a[0] && (want.empty() || e.extras == want) && (via.empty() || e.via == via))
            return true;
    *failure = "no launch of " + a[0] + (want.empty() ? "" : " with those extras") + Seen(since, "launch");
    return false;
}

// A platform or toolkit call, with exactly these arguments when given.
VerbHandler Call(bool wanted) {
    return [wanted](RunContext& r, const Command&, const Args& a, std::string* failure) {
        std::string args = Join(Args(a.begin() + 1, a.end()));
        const Entries since = r.SinceAction();
        bool found = false;
        std::string seen;
        for (const auto& e : since) {
            if (e.kind != "call" || e.name != a[0]) continue;
            found = found || a.size() == 1 || e.text == args;
            seen += "\n      seen: " + e.name + " " + e.text;
        }
        if (found == wanted) return true;
        *failure = (wanted ? "no call " : "unexpected call ") + a[0] + (args.empty() ? "" : " " + args) +
                   (seen.empty() ? "\n      seen: no call of it" : seen);
        return false;
    };
}

// expect log [sys|info|warn|debug] "MESSAGE"
VerbHandler Log(bool wanted) {
    return [wanted](RunContext& r, const Command&, const Args& a, std::string* failure) {
        bool leveled = a.size() == 2;
        if (leveled && a[0] != "sys" && a[0] != "info" && a[0] != "warn" && a[0] != "debug") return false;
        const std::string& message = a.back();
        const Entries since = r.SinceAction();
        bool found = false, elsewhere = false;
        for (const auto& e : since) {
            if (e.kind != "log" || vsim::LogMessage(e) != message) continue;
            if (!leveled || LevelMatches(a[0], e))
                found = true;
            else
                elsewhere = true;
        }
        if (found == wanted) return true;
        *failure = (wanted ? "no log line \"" : "unexpected log line \"") + message + "\"" +
                   (leveled ? " at " + a[0] : "") + (elsewhere && wanted ? " (written at another level)" : "") +
                   (wanted && !elsewhere ? Seen(since, "log") : "");
        return false;
    };
}

}  // namespace

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

void AddExpectations(std::vector<VerbSpec>* verbs) {
    const VerbKind E = VerbKind::Expectation;
    verbs->push_back({"expect consumed", E, "", 0, 0, "the last key event was consumed", Verdict(0, "consumed")});
    verbs->push_back(
        {"expect returned", E, "", 0, 0, "the last key event went back to the viewer", Verdict(1, "returned")});
    verbs->push_back({"expect result", E, "KEY VALUE", 2, 2, "a result message with that one pair was sent",
                      [](RunContext& r, const Command&, const Args& a, std::string* failure) {
                          const Entries since = r.SinceAction();
                          for (const auto& e : since)
                              if (e.kind == "result" && e.extras.size() == 1 && e.extras[0].first == a[0] &&
                                  e.extras[0].second == a[1])
                                  return true;
                          *failure = "no result " + a[0] + " " + a[1] + Seen(since, "result");
                          return false;
                      }});
    verbs->push_back(
        {"expect no-result", E, "", 0, 0, "no result message was sent", None("result", "no result message")});
    verbs->push_back({"expect results", E, "N", 1, 1, "exactly N result messages", Count("result", "results")});
    verbs->push_back(
        {"expect launch", E, "APPID [K=V...] [via=aul|app_control]", 1, -1,
         "APPID was launched (with exactly these extras in this order when given; by that "
         "mechanism when `via=` is given, which is not an extra)",
         [](RunContext& r, const Command&, const Args& a, std::string* failure) { return Launch(r, a, failure); }});
    verbs->push_back({"expect no-launch", E, "", 0, 0, "nothing was launched", None("launch", "no launch")});
    verbs->push_back({"expect launches", E, "N", 1, 1, "exactly N launches", Count("launch", "launches")});
    verbs->push_back({"expect pvr", E, "CALL [ARGS]", 1, -1, "the PVR request was made (with these arguments)",
                      [](RunContext& r, const Command&, const Args& a, std::string* failure) {
                          std::string args = Join(Args(a.begin() + 1, a.end()));
                          const Entries since = r.SinceAction();
                          for (const auto& e : since)
                              if (e.kind == "pvr" && e.name == a[0] && (args.empty() || e.text == args)) return true;
                          *failure = "no pvr request " + a[0] + (args.empty() ? "" : " " + args) + Seen(since, "pvr");
                          return false;
                      }});
    verbs->push_back({"expect no-pvr", E, "[CALL]", 0, 1, "no PVR request (of that call) was made",
                      [](RunContext& r, const Command&, const Args& a, std::string* failure) {
                          for (const auto& e : r.SinceAction()) {
                              if (e.kind != "pvr" || (!a.empty() && e.name != a[0])) continue;
                              *failure = "expected no pvr request, saw " + Describe(e);
                              return false;
                          }
                          return true;
                      }});
    verbs->push_back({"expect call", E, "NAME [ARGS]", 1, -1,
                      "a journaled call of NAME (with exactly these arguments, joined by blanks)", Call(true)});
    verbs->push_back({"expect no-call", E, "NAME [ARGS]", 1, -1, "no such journaled call", Call(false)});
    verbs->push_back({"expect calls", E, "NAME N", 2, 2, "exactly N calls of NAME",
                      [](RunContext& r, const Command&, const Args& a, std::string* failure) {
                          long long want;
                          if (!vsim::ParseInt(a[1], &want)) return false;
                          long long have = 0;
                          for (const auto& e : r.SinceAction()) have += e.kind == "call" && e.name == a[0];
                          if (have == want) return true;
                          *failure = "expected " + a[1] + " calls of " + a[0] + ", there were " + std::to_string(have);
                          return false;
                      }});
    verbs->push_back({"expect log", E, "[sys|info|warn|debug] \"MESSAGE\"", 1, 2,
                      "a log line whose message after the `... > [APP][function:line] ` prefix is exactly "
                      "MESSAGE was written (at that level: `sys` the system log at warning, the others the "
                      "main log)",
                      Log(true)});
    verbs->push_back(
        {"expect no-log", E, "[sys|info|warn|debug] \"MESSAGE\"", 1, 2, "no such log line was written", Log(false)});
    verbs->push_back({"expect popup", E, "shown|hidden", 1, 1, "`CSportsUGAPI::IsSportsmodeUGShow` says so",
                      [](RunContext& r, const Command&, const Args& a, std::string* failure) {
                          if (a[0] != "shown" && a[0] != "hidden") return false;
                          bool shown = r.viewer.PopupShown();
                          if (shown == (a[0] == "shown")) return true;
                          *failure = "expected the pop-up " + a[0] + ", it is " + (shown ? "shown" : "hidden");
                          return false;
                      }});
    verbs->push_back({"expect popup-text", E, "\"TEXT\"", 1, 1,
                      "a label or the button of the pop-up on screen reads TEXT (markup removed, outer blanks "
                      "dropped)",
                      [](RunContext& r, const Command&, const Args& a, std::string* failure) {
                          PopupView view = ProbePopup(r.viewer.Window());
                          std::string shown;
                          for (const std::string& text : view.texts) {
                              if (text == a[0]) return true;
                              shown += "\n      seen: \"" + text + "\"";
                          }
                          *failure = "the pop-up shows no text \"" + a[0] + "\"" +
                                     (shown.empty() ? "\n      seen: nothing" : shown);
                          return false;
                      }});
    verbs->push_back({"expect popup-progress", E, "VALUE", 1, 1, "the pop-up's progress bar stands at VALUE (0 to 1)",
                      [](RunContext& r, const Command&, const Args& a, std::string* failure) {
                          char* end = nullptr;
                          double want = std::strtod(a[0].c_str(), &end);
                          if (!end || end == a[0].c_str() || *end != '\0') return false;
                          PopupView view = ProbePopup(r.viewer.Window());
                          if (!view.hasProgress) {
                              *failure = "the pop-up shows no progress bar";
                              return false;
                          }
                          if (std::fabs(view.progress - want) < 1e-6) return true;
                          *failure =
                              "expected the progress bar at " + a[0] + ", it is at " + std::to_string(view.progress);
                          return false;
                      }});
    verbs->push_back({"expect timers", E, "N", 1, 1, "the gadget has N Ecore timers pending",
                      [](RunContext&, const Command&, const Args& a, std::string* failure) {
                          long long want;
                          if (!vsim::ParseInt(a[0], &want)) return false;
                          std::size_t have = PendingGadgetTimerCount();
                          if (static_cast<long long>(have) == want) return true;
                          *failure = "expected " + a[0] + " pending gadget timers, there are " + std::to_string(have);
                          return false;
                      }});
}

}  // namespace tvsim
