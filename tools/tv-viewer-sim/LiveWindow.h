// The viewer's picture on a real display. The viewer's own window always
// renders with the buffer engine, live or headless, so that what a person
// sees is pixel for pixel what a screenshot saves: this plain X11 window
// only copies the areas of that buffer that changed onto the screen, takes
// the keyboard and passes its focus on to the viewer's window.
#ifndef VANTRO_LIVE_WINDOW_H
#define VANTRO_LIVE_WINDOW_H

#include <Ecore_Evas.h>

#include <vector>

#include "Viewer.h"

namespace tvsim {

class LiveWindow {
public:
    explicit LiveWindow(Viewer& viewer);
    ~LiveWindow();
    LiveWindow(const LiveWindow&) = delete;
    LiveWindow& operator=(const LiveWindow&) = delete;

    // Opens the window on $DISPLAY with the viewer's current picture; false
    // when there is no display.
    bool Open();
    // Renders the viewer's canvas and brings what changed onto the screen;
    // returns once the display server holds the new picture.
    void Refresh();
    // The person closed the window (the window manager's close button).
    bool CloseRequested() const { return m_closeRequested; }

private:
    static void OnSourceRendered(void* data, Evas* canvas, void* info);
    static void OnFocusIn(Ecore_Evas* ee);
    static void OnFocusOut(Ecore_Evas* ee);
    static void OnDeleteRequest(Ecore_Evas* ee);
    static LiveWindow* Of(Ecore_Evas* ee);
    void CopyChanged();

    Viewer& m_viewer;
    Ecore_Evas* m_source = nullptr;  // the viewer's buffer canvas
    Ecore_Evas* m_shown = nullptr;   // the X11 window
    Evas_Object* m_picture = nullptr;
    int m_width = 0;
    int m_height = 0;
    std::vector<Eina_Rectangle> m_changed;  // source areas not yet on the screen
    bool m_closeRequested = false;
};

}  // namespace tvsim

#endif
