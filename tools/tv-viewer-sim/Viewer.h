// The host that plays tv-viewer: it owns the window, loads the gadget with
// dlopen, drives its operations, offers keys through the key-event service,
// sends viewer messages and answers the gadget's show/hide requests.
#ifndef VANTRO_VIEWER_H
#define VANTRO_VIEWER_H

#include <Elementary.h>

#include <string>
#include <utility>
#include <vector>

#include "ug_module.h"

namespace tvsim {

class Viewer {
public:
    Viewer();
    ~Viewer();

    // Creates the 1920x1080 window, always on the buffer engine: a live
    // display shows its pixels (LiveWindow). True on success.
    bool OpenWindow();
    Evas_Object* Window() const { return m_window; }
    // The window gains or loses the keyboard focus, as when another
    // application comes to the front.
    void SetFocus(bool on);

    // dlopen + UG_MODULE_INIT. False with a message on failure.
    bool Load(const std::string& path, std::string* error);
    bool Loaded() const { return m_library != nullptr; }
    const std::string& Path() const { return m_path; }
    // UG_MODULE_EXIT and dlclose; false with a message when the library
    // stays mapped, so that a fresh Load would not start it afresh.
    bool Unload(std::string* error);
    // UG_MODULE_INIT again on a fresh operations table (after "exit").
    int Init();
    bool InitDone() const { return m_initDone; }
    void Exit();

    bool Create();  // true when the gadget handed back a base object
    void Start();
    void Pause();
    void Resume();
    void Destroy();

    // 0 consumed, 1 returned.
    int KeyDown(const std::string& name);
    int KeyUp(const std::string& name);
    // A viewer message with the given extras (none for an empty list).
    void Message(const std::vector<std::pair<std::string, std::string>>& extras);
    int PvrResult(int method, int result);

    // Whether the viewer answers show/hide for "pvrsportsmode" by itself.
    void SetAnswers(bool on) { m_answers = on; }
    // Delivers the answers queued by the last action, and lets due work run.
    void Settle();

    bool PopupShown();
    // Renders the canvas and saves it as PNG; false with a message.
    bool Screenshot(const std::string& file, std::string* error);

    // Called by the real-window mode for every key typed.
    static const char* RemoteKeyFor(const char* keyboardKey);

private:
    void* m_library = nullptr;
    std::string m_path;
    int (*m_init)(struct ug_module_ops*) = nullptr;
    void (*m_exit)(struct ug_module_ops*) = nullptr;
    bool (*m_isShow)() = nullptr;
    struct ug_module_ops m_ops;
    bool m_initDone = false;
    Evas_Object* m_window = nullptr;
    Evas_Object* m_base = nullptr;
    bool m_answers = true;
    std::vector<std::string> m_pendingAnswers;
};

}  // namespace tvsim

#endif
