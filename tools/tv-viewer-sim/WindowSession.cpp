#include "WindowSession.h"

#include <Ecore_Input.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "LiveWindow.h"
#include "VirtualClock.h"
#include "sim_world.h"

namespace tvsim {
namespace {

// The file F12 writes: named after the virtual moment, so that the pictures
// of a session sort in order and none overwrites another.
std::string ScreenshotPath(const std::string& dir, long long virtualUs) {
    char name[64];
    std::snprintf(name, sizeof name, "window-%09lldms.png", virtualUs / 1000);
    if (dir.empty()) return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

}  // namespace

WindowSession::WindowSession(Viewer& viewer, Recorder* recorder, std::string screenshotDir)
    : m_viewer(viewer), m_recorder(recorder), m_screenshotDir(std::move(screenshotDir)) {}

// Taken from the input layer, not from one canvas object: whichever object
// of the window holds the toolkit's focus, every key a person presses counts.
Eina_Bool WindowSession::OnKey(void* data, int, void* event) {
    auto* self = static_cast<WindowSession*>(data);
    auto* ev = static_cast<Ecore_Event_Key*>(event);
    if (!ev || !ev->keyname || self->m_quit) return ECORE_CALLBACK_PASS_ON;
    if (std::strcmp(ev->keyname, "q") == 0) {
        self->m_quit = true;
    } else if (std::strcmp(ev->keyname, "F12") == 0) {
        ++self->m_screenshotsWanted;
    } else if (const char* remote = Viewer::RemoteKeyFor(ev->keyname)) {
        self->m_typed.push_back(remote);
    }
    return ECORE_CALLBACK_PASS_ON;
}

// Ecore turns SIGTERM and SIGINT into this event; the window's own loop ends on it.
Eina_Bool WindowSession::OnExitSignal(void* data, int, void*) {
    static_cast<WindowSession*>(data)->m_quit = true;
    return ECORE_CALLBACK_PASS_ON;
}

void WindowSession::PressTyped(std::string* transcript) {
    std::vector<std::string> typed;
    typed.swap(m_typed);
    for (const std::string& remote : typed) {
        int down;
        if (m_recorder) {
            down = m_recorder->PressKey(remote);
        } else {
            down = m_viewer.KeyDown(remote);
            m_viewer.KeyUp(remote);
            m_viewer.Settle();
        }
        *transcript += "key " + remote + (down == 0 ? " consumed\n" : " returned\n");
    }
}

void WindowSession::SaveScreenshots(std::string* transcript) {
    for (; m_screenshotsWanted > 0; --m_screenshotsWanted) {
        std::string path = ScreenshotPath(m_screenshotDir, vclock::NowUs());
        std::string error;
        if (m_viewer.Screenshot(path, &error))
            *transcript += "wrote " + path + "\n";
        else
            std::fprintf(stderr, "tv-viewer-sim: no screenshot: %s\n", error.c_str());
    }
}

// Virtual time moves in whole milliseconds, as `advance` moves it, and keys
// are pressed between those steps, so that a recorded session replays the
// same. A step's transcript is printed once its picture is on the screen.
bool WindowSession::Run() {
    LiveWindow live(m_viewer);
    if (!live.Open()) return false;
    Ecore_Event_Handler* keys = ecore_event_handler_add(ECORE_EVENT_KEY_DOWN, OnKey, this);
    Ecore_Event_Handler* exitSignal = ecore_event_handler_add(ECORE_EVENT_SIGNAL_EXIT, OnExitSignal, this);
    elm_object_focus_set(m_viewer.Window(), EINA_TRUE);
    std::size_t printed = vsim::JournalSize();
    long long last = vclock::RealUs();
    long long owed = 0;
    std::printf("window ready\n");
    std::fflush(stdout);
    while (!(m_quit || live.CloseRequested()) || !m_typed.empty()) {
        long long now = vclock::RealUs();
        owed += now - last;
        last = now;
        for (; owed >= 1000; owed -= 1000) {
            vclock::AdvanceAndRun(1000, 1000);
            m_viewer.Settle();
        }
        std::string transcript;
        PressTyped(&transcript);
        for (const auto& e : vsim::JournalSince(printed))
            if (e.kind == "launch" || e.kind == "result" || e.kind == "pvr")
                transcript += "  " + e.kind + " " + e.name + " " + e.text + "\n";
        printed = vsim::JournalSize();
        SaveScreenshots(&transcript);
        live.Refresh();
        std::fputs(transcript.c_str(), stdout);
        std::fflush(stdout);
        usleep(10000);
    }
    ecore_event_handler_del(keys);
    ecore_event_handler_del(exitSignal);
    return true;
}

}  // namespace tvsim
