// The interactive session of --window: virtual time follows real time, the
// keyboard plays the remote, F12 saves the picture on the screen as a PNG.
#ifndef VANTRO_WINDOW_SESSION_H
#define VANTRO_WINDOW_SESSION_H

#include <Ecore.h>

#include <string>
#include <vector>

#include "Recorder.h"
#include "Viewer.h"

namespace tvsim {

class WindowSession {
public:
    // Keys go through the recorder when there is one. Screenshots are
    // written to screenshotDir (the current directory when empty).
    WindowSession(Viewer& viewer, Recorder* recorder, std::string screenshotDir);

    // Opens the live window and runs until q, the window's close or an exit
    // signal. False when no window could be opened.
    bool Run();

private:
    static Eina_Bool OnKey(void* data, int type, void* event);
    static Eina_Bool OnExitSignal(void* data, int type, void* event);
    // Presses the keys typed since the last step; appends transcript lines.
    void PressTyped(std::string* transcript);
    void SaveScreenshots(std::string* transcript);

    Viewer& m_viewer;
    Recorder* m_recorder;
    std::string m_screenshotDir;
    bool m_quit = false;
    std::vector<std::string> m_typed;  // remote keys typed, pressed between time steps
    int m_screenshotsWanted = 0;
};

}  // namespace tvsim

#endif
