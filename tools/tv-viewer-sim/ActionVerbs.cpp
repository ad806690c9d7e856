// Actions: what the expectations after them look at.
#include <algorithm>
#include <limits>

#include "PopupProbe.h"
#include "TimerJournal.h"
#include "Verbs.h"
#include "VirtualClock.h"

namespace tvsim {
namespace {

using Args = std::vector<std::string>;

// Of the next `us` microseconds, the whole milliseconds that pass before the
// first gadget timer is due, less a margin for Ecore's rounding.
long long IdleStretch(long long us) {
    const long long kMarginUs = 2000;
    long long due = NextGadgetTimerDueUs();
    long long idle = due == std::numeric_limits<long long>::max() ? us : due - vclock::NowUs() - kMarginUs;
    return std::min(us, idle) / 1000 * 1000;
}

// Most actions let the answers they caused be delivered at once; advance
// does so as time goes by.
VerbHandler Settled(const VerbHandler& handler) {
    return [handler](RunContext& r, const Command& c, const Args& a, std::string* failure) {
        if (!handler(r, c, a, failure)) return false;
        r.viewer.Settle();
        return true;
    };
}

// Answers the viewer owes are delivered as time goes by. One settle a
// millisecond runs what fell due: each pass of the loop is a handful of
// system calls, dear under an emulator.
void Advance(RunContext& r, long long us) {
    while (us > 0) {
        long long step = us < 1000 ? us : 1000;
        if (r.options.skipIdleTime) step = std::max(step, IdleStretch(us));
        vclock::SetUs(vclock::NowUs() + step);
        r.viewer.Settle();
        us -= step;
    }
}

// key, keydown, keyup: the verdict kept is the last event's.
VerbHandler KeyEvents(bool down, bool up) {
    return Settled([down, up](RunContext& r, const Command&, const Args& a, std::string*) {
        r.lastKey = a[0];
        if (down) r.lastVerdict = r.viewer.KeyDown(a[0]);
        if (up) r.lastVerdict = r.viewer.KeyUp(a[0]);
        return true;
    });
}

bool Lifecycle(Viewer& v, const std::string& step) {
    if (step == "create")
        v.Create();
    else if (step == "start")
        v.Start();
    else if (step == "pause")
        v.Pause();
    else if (step == "resume")
        v.Resume();
    else if (step == "destroy")
        v.Destroy();
    else if (step == "exit")
        v.Exit();
    else if (step == "init")
        v.Init();
    else
        return false;
    return true;
}

}  // namespace

void AddActionVerbs(std::vector<VerbSpec>* verbs) {
    const VerbKind A = VerbKind::Action;
    verbs->push_back({"lifecycle", A, "create|start|pause|resume|destroy|exit|init", 1, 1,
                      "a gadget operation; `exit` is `UG_MODULE_EXIT`, `init` a fresh `UG_MODULE_INIT` (done "
                      "once at start)",
                      Settled([](RunContext& r, const Command&, const Args& a, std::string*) {
                          return Lifecycle(r.viewer, a[0]);
                      })});
    verbs->push_back({"key", A, "NAME", 1, 1,
                      "key-down then key-up of the platform key NAME (e.g. `XF86Red`, `Return`) through the "
                      "key-event service: high-priority handlers first, the first that consumes ends it",
                      KeyEvents(true, true)});
    verbs->push_back({"keydown", A, "NAME", 1, 1, "the key-down alone", KeyEvents(true, false)});
    verbs->push_back({"keyup", A, "NAME", 1, 1, "the key-up alone", KeyEvents(false, true)});
    verbs->push_back({"message", A, "[KEY VALUE...]", 0, -1,
                      "a viewer message (app-control extra data); `message` alone has none",
                      Settled([](RunContext& r, const Command&, const Args& a, std::string*) {
                          if (a.size() % 2 != 0) return false;
                          std::vector<std::pair<std::string, std::string>> extras;
                          for (std::size_t i = 0; i + 1 < a.size(); i += 2) extras.emplace_back(a[i], a[i + 1]);
                          r.viewer.Message(extras);
                          return true;
                      })});
    verbs->push_back({"pvr-result", A, "METHOD RESULT", 2, 2,
                      "a PVR service result record (e.g. `1 0`: pause done), delivered on the main loop, "
                      "unaligned",
                      Settled([](RunContext& r, const Command&, const Args& a, std::string*) {
                          long long method, code;
                          if (!vsim::ParseInt(a[0], &method) || !vsim::ParseInt(a[1], &code)) return false;
                          r.viewer.PvrResult(static_cast<int>(method), static_cast<int>(code));
                          return true;
                      })});
    verbs->push_back({"advance", A, "N|Nus|Nms|Ns", 1, 1,
                      "virtual time (N alone: milliseconds); real Ecore timers fire as time passes",
                      [](RunContext& r, const Command&, const Args& a, std::string*) {
                          long long us;
                          if (!ParseDuration(a[0], &us)) return false;
                          Advance(r, us);
                          return true;
                      }});
    verbs->push_back({"created", A, "", 0, 0,
                      "`lifecycle create`, then `advance 1s`: a gadget past the debounce of its first keys, "
                      "where most key scenarios start",
                      [](RunContext& r, const Command&, const Args&, std::string*) {
                          r.viewer.Create();
                          r.viewer.Settle();
                          Advance(r, 1000000);
                          return true;
                      }});
    verbs->push_back({"click", A, "popup-button", 1, 1,
                      "a real mouse move, press and release through Evas at the centre of the pop-up's button",
                      Settled([](RunContext& r, const Command&, const Args& a, std::string* failure) {
                          if (a[0] != "popup-button") return false;
                          evas_smart_objects_calculate(evas_object_evas_get(r.viewer.Window()));
                          PopupView view = ProbePopup(r.viewer.Window());
                          if (view.button && ClickCentre(view.button)) {
                              r.viewer.Settle();  // the button's own callbacks, then what they asked for
                              return true;
                          }
                          *failure = "no pop-up button on screen to click";
                          return false;
                      })});
}

}  // namespace tvsim
