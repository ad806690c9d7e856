// tv-viewer-sim: plays the TV's live viewer for the sports-mode gadget.
#include <Ecore_Getopt.h>
#include <Elementary.h>
#include <unistd.h>

#include <clocale>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

#include "FailEach.h"
#include "Recorder.h"
#include "Runner.h"
#include "Scenario.h"
#include "Viewer.h"
#include "VirtualClock.h"
#include "WindowSession.h"
#include "sim_world.h"

#ifndef VANTRO_DEFAULT_GADGET
#define VANTRO_DEFAULT_GADGET "libvantro.so.0.1"
#endif

namespace {

const char kDescription[] =
    "Loads the sports-mode gadget like the TV's live viewer does, runs a scenario\n"
    "(keys, viewer messages, PVR results, platform facts, virtual time) and prints\n"
    "what the gadget did. Exit status 1 when an expectation fails.\n\n"
    "With --window the viewer shows its picture in an X11 window (needs DISPLAY)\n"
    "after the scenario; time then runs in real time and the keyboard plays the\n"
    "remote:\n"
    "  r red   g green   y yellow   b blue   Return OK   BackSpace back   Escape exit\n"
    "  arrows Left/Right/Up/Down   c record   p pause   space play   s stop\n"
    "  n next   w rewind   i info   0-9 digits   q quits.\n"
    "F12 saves the picture as window-<virtual ms>ms.png in the --out directory.\n"
    "See docs/scenarios.md for the scenario language.";

const Ecore_Getopt_Desc kOptionDescs[] = {
    ECORE_GETOPT_STORE_STR('g', "gadget", "Path of the gadget library to load."),
    ECORE_GETOPT_STORE_TRUE('w', "window", "Show the picture in an X11 window and take keyboard keys."),
    ECORE_GETOPT_STORE_TRUE('q', "quiet", "Print only failures and the summary."),
    ECORE_GETOPT_STORE_TRUE('l', "logs", "Print the gadget's log lines in the transcript."),
    ECORE_GETOPT_STORE_STR('o', "out", "Directory for screenshots (default: current)."),
    ECORE_GETOPT_STORE_STR('L', "lang", "Menu language, e.g. en, de, ar."),
    ECORE_GETOPT_STORE_STR('r', "record",
                           "Write the session to this scenario file, what the gadget did as expectations."),
    ECORE_GETOPT_STORE_STR('W', "wall-clock",
                           "Set the wall clock to this UTC time, YYYY-MM-DDTHH:MM:SSZ, before the scenario."),
    ECORE_GETOPT_STORE_TRUE('F', "fail-each",
                            "Fail each fallible call of the gadget in turn, in every SCENARIO given, and check "
                            "that it comes through (see docs/reliability.md)."),
    ECORE_GETOPT_STORE_STR('\0', "fail-at",
                           "With --fail-each: only the piece starting at LINE with call K failing, LINE:K, "
                           "shown as it runs."),
    ECORE_GETOPT_STORE_INT('j', "jobs", "With --fail-each: runs at a time (default 2)."),
    ECORE_GETOPT_LICENSE('\0', "license"),
    ECORE_GETOPT_VERSION('V', "version"),
    ECORE_GETOPT_HELP('h', "help"),
    {0, nullptr, nullptr, nullptr, ECORE_GETOPT_ACTION_STORE, {.dummy = nullptr}}};

// Ecore_Getopt ends in a flexible array, which C++ cannot initialise in
// place: build it once in storage sized for the table.
const Ecore_Getopt* Options() {
    static std::vector<unsigned char> storage;
    if (storage.empty()) {
        storage.resize(sizeof(Ecore_Getopt) + sizeof(kOptionDescs));
        auto* header = reinterpret_cast<Ecore_Getopt*>(storage.data());
        header->prog = "tv-viewer-sim";
        header->usage = "%prog [options] [SCENARIO]\n       %prog --fail-each [--fail-at LINE:K] SCENARIO...";
        header->version = "0.1";
        header->copyright = "(C) the vantro team";
        header->license = "internal use";
        header->description = kDescription;
        header->strict = EINA_TRUE;
        std::memcpy(storage.data() + offsetof(Ecore_Getopt, descs), kOptionDescs, sizeof(kOptionDescs));
    }
    return reinterpret_cast<const Ecore_Getopt*>(storage.data());
}

bool IsRightToLeftLanguage(const std::string& language) {
    std::string code = language.substr(0, language.find_first_of("_.@"));
    for (const char* rtl : {"ar", "he", "fa", "ur"})
        if (code == rtl) return true;
    return false;
}

int NoDisplay() {
    std::fprintf(stderr, "tv-viewer-sim: cannot open a window on the display %s\n", getenv("DISPLAY"));
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    char* gadget = nullptr;
    char* outDir = nullptr;
    char* lang = nullptr;
    char* recordTo = nullptr;
    char* wallClock = nullptr;
    char* failAt = nullptr;
    int jobs = 2;
    Eina_Bool failEach = EINA_FALSE;
    Eina_Bool window = EINA_FALSE, quiet = EINA_FALSE, logs = EINA_FALSE, quitOption = EINA_FALSE;
    // clang-format off
    Ecore_Getopt_Value values[] = {ECORE_GETOPT_VALUE_STR(gadget),  ECORE_GETOPT_VALUE_BOOL(window),
                                   ECORE_GETOPT_VALUE_BOOL(quiet),  ECORE_GETOPT_VALUE_BOOL(logs),
                                   ECORE_GETOPT_VALUE_STR(outDir),  ECORE_GETOPT_VALUE_STR(lang),
                                   ECORE_GETOPT_VALUE_STR(recordTo), ECORE_GETOPT_VALUE_STR(wallClock),
                                   ECORE_GETOPT_VALUE_BOOL(failEach), ECORE_GETOPT_VALUE_STR(failAt),
                                   ECORE_GETOPT_VALUE_INT(jobs),
                                   ECORE_GETOPT_VALUE_BOOL(quitOption), ECORE_GETOPT_VALUE_BOOL(quitOption),
                                   ECORE_GETOPT_VALUE_BOOL(quitOption), ECORE_GETOPT_VALUE_NONE};
    // clang-format on
    setenv("ECORE_NO_SYSTEM_MODULES", "1", 0);
    setenv("EINA_LOG_BACKTRACE", "0", 0);
    ecore_init();
    int args = ecore_getopt_parse(Options(), values, argc, argv);
    if (args < 0) return 2;
    if (quitOption) return 0;
    if (wallClock && !vclock::SetWallClock(wallClock)) {
        std::fprintf(stderr, "tv-viewer-sim: --wall-clock takes a UTC time, YYYY-MM-DDTHH:MM:SSZ\n");
        return 2;
    }
    // The TV's menu language; English unless asked otherwise. gettext
    // ignores LANGUAGE under the plain "C" locale, so when the language's own
    // locale is not installed the viewer runs under C.UTF-8.
    std::string menuLanguage = lang ? lang : "en";
    setenv("LANGUAGE", menuLanguage.c_str(), 1);
    setenv("LANG", (menuLanguage + ".UTF-8").c_str(), 1);
    if (!std::setlocale(LC_ALL, "")) {
        setenv("LC_ALL", "C.UTF-8", 1);
        std::setlocale(LC_ALL, "C.UTF-8");
    }
    // Right-to-left menu languages mirror the pop-up, as the TV reports them.
    if (IsRightToLeftLanguage(menuLanguage)) vsim::SetFact("ua_UI_orientation_get", {"1"});

    std::string text;
    std::string scenarioName = "(none)";
    if (args < argc) {
        scenarioName = argv[args];
        std::ifstream in(scenarioName);
        if (!in) {
            std::fprintf(stderr, "tv-viewer-sim: cannot read %s\n", scenarioName.c_str());
            return 2;
        }
        std::stringstream buffer;
        buffer << in.rdbuf();
        text = buffer.str();
    } else if (!window) {
        std::fprintf(stderr, "tv-viewer-sim: give a scenario file or --window (see --help)\n");
        return 2;
    }
    std::vector<tvsim::ParseError> errors;
    std::vector<tvsim::Command> commands = tvsim::ParseScenario(text, &errors);
    for (const auto& e : errors) std::fprintf(stderr, "%s:%d: %s\n", scenarioName.c_str(), e.line, e.message.c_str());
    if (!errors.empty()) return 2;

    if (window && !getenv("DISPLAY")) {
        std::fprintf(stderr, "tv-viewer-sim: --window needs a display (is DISPLAY set?)\n");
        return 2;
    }
    // The viewer's window renders with the buffer engine even with --window,
    // which shows its pixels: the screen and the screenshots are one picture.
    setenv("ELM_DISPLAY", "buffer", 1);
    setenv("ELM_ACCEL", "none", 1);
    elm_init(argc, argv);
    tvsim::Viewer viewer;
    if (!viewer.OpenWindow()) {
        std::fprintf(stderr, "tv-viewer-sim: no window\n");
        return 2;
    }
    std::string error;
    // Without --gadget: the library of this build, or once installed, the
    // installed gadget.
    const char* path = gadget ? gadget : VANTRO_DEFAULT_GADGET;
#ifdef VANTRO_INSTALLED_GADGET
    if (!gadget && access(path, F_OK) != 0) path = VANTRO_INSTALLED_GADGET;
#endif
    if (!viewer.Load(path, &error)) {
        std::fprintf(stderr, "tv-viewer-sim: cannot load %s: %s\n", path, error.c_str());
        return 2;
    }

    if (failEach) {
        tvsim::FailEachOptions sweep;
        sweep.jobs = jobs > 0 ? jobs : 1;
        sweep.showLogs = logs;
        char* end = failAt;
        if (failAt) sweep.onlyLine = static_cast<int>(std::strtol(failAt, &end, 10));
        char* call = end + (end != failAt && *end == ':' ? 1 : 0);
        if (failAt && call != end) sweep.onlyCall = std::strtol(call, &end, 10);
        if (failAt && (call == end || *end != '\0')) {
            std::fprintf(stderr, "tv-viewer-sim: --fail-at takes LINE:K\n");
            return 2;
        }
        return tvsim::FailEach(viewer, std::vector<std::string>(argv + args, argv + argc), sweep, std::cout);
    }

    tvsim::RunOptions options;
    options.quiet = quiet;
    options.showLogs = logs;
    options.baseDir = outDir ? outDir : "";
    tvsim::Runner runner(viewer, std::cout, options);
    if (recordTo) {
        tvsim::Recorder recorder(viewer, runner, logs);
        if (!recorder.RunScenario(text, commands, &error)) {
            std::fprintf(stderr, "%s: %s (nothing recorded)\n", scenarioName.c_str(), error.c_str());
            return 1;
        }
        if (window) {
            if (!tvsim::WindowSession(viewer, &recorder, options.baseDir).Run()) return NoDisplay();
            recorder.Finish();
        }
        std::ofstream out(recordTo);
        out << "# Recorded by tv-viewer-sim --record" << (args < argc ? std::string(" from ") + scenarioName : "")
            << ": what the gadget did, as expectations. Review before committing.\n"
            << recorder.Text();
        if (!out.flush()) {
            std::fprintf(stderr, "tv-viewer-sim: cannot write %s\n", recordTo);
            return 2;
        }
        std::cout << recordTo << ": " << recorder.Expectations() << " expectations recorded\n";
        return 0;
    }
    tvsim::RunResult result = runner.Run(commands);
    std::cout << scenarioName << ": " << result.expectations << " expectations, "
              << (result.failures ? "FAILED" : "all met") << "\n";
    std::cout.flush();
    if (window && !result.failures && !tvsim::WindowSession(viewer, nullptr, options.baseDir).Run()) return NoDisplay();
    // No elm_shutdown: the desktop-cache wait at shutdown costs seconds.
    return result.failures ? 1 : 0;
}
