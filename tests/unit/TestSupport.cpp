#include "TestSupport.h"

#include <Elementary.h>

#include <algorithm>

#include "PVRChannelMgr.h"

namespace vtest {
namespace {
// The gadget's log tag, which the TV's log filter goes by.
const char kGadgetTag[] = "PVR_UIG_SPT";
}  // namespace

Evas_Object* Window() {
    static Evas_Object* window = nullptr;
    if (!window) {
        window = elm_win_add(nullptr, "tv-viewer", ELM_WIN_BASIC);
        evas_object_resize(window, 1920, 1080);
        evas_object_show(window);
    }
    return window;
}

std::vector<std::string> LogMessages() {
    std::vector<std::string> messages;
    for (const vsim::Entry& e : EntriesOf("log")) messages.push_back(vsim::LogMessage(e));
    return messages;
}

bool Logged(const std::string& message) { return CountLogged(message) > 0; }

bool LoggedAt(const std::string& message, int logId, int priority) {
    for (const vsim::Entry& e : EntriesOf("log"))
        if (e.name == kGadgetTag && e.logId == logId && e.priority == priority && vsim::LogMessage(e) == message)
            return true;
    return false;
}

int CountLogged(const std::string& message) {
    const std::vector<std::string> messages = LogMessages();
    return static_cast<int>(std::count(messages.begin(), messages.end(), message));
}

std::vector<vsim::Entry> EntriesOf(const std::string& kind) {
    std::vector<vsim::Entry> out;
    for (const vsim::Entry& e : vsim::Journal())
        if (e.kind == kind) out.push_back(e);
    return out;
}

std::vector<std::string> ArgsOf(const std::string& call) {
    std::vector<std::string> args;
    for (const vsim::Entry& e : EntriesOf("call"))
        if (e.name == call) args.push_back(e.text);
    return args;
}

std::vector<std::string> Calls() {
    std::vector<std::string> calls;
    for (const vsim::Entry& e : EntriesOf("call")) calls.push_back(e.text.empty() ? e.name : e.name + " " + e.text);
    return calls;
}

std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    for (const vsim::Entry& e : EntriesOf("log")) {
        const char* tag = e.name != kGadgetTag                                  ? "? "
                          : e.logId == LOG_ID_SYSTEM && e.priority == DLOG_WARN ? "S "
                          : e.logId != LOG_ID_MAIN                              ? "? "
                          : e.priority == DLOG_WARN                             ? "M "
                          : e.priority == DLOG_INFO                             ? "I "
                                                                                : "? ";
        lines.push_back(tag + vsim::LogMessage(e));
    }
    return lines;
}

void SetFacts(const Facts& facts) {
    for (const auto& f : facts) vsim::SetFact(f.first, f.second);
}

void SimTest::SetUp() {
    vsim::ResetWorld();
    vsim::SetWindow(Window());
}

void FreshChannelMgrTest::SetUp() {
    SimTest::SetUp();
    DropChannelMgr();
}

void FreshChannelMgrTest::TearDown() { DropChannelMgr(); }

void FreshChannelMgrTest::DropChannelMgr() {
    delete CPVRChannelMgr::m_pChannelMgr;
    CPVRChannelMgr::m_pChannelMgr = nullptr;
}

}  // namespace vtest
