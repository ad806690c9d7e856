#include "Viewer.h"

#include <Ecore_Evas.h>
#include <dlfcn.h>

#include <cstring>

#include "VirtualClock.h"
#include "app_control.h"
#include "fallible.h"
#include "sim_world.h"
#include "tv_viewer_kevent.h"

namespace tvsim {
namespace {

// The framework's handle of the one gadget instance; any non-null value.
ui_gadget_h GadgetHandle() {
    static int instance;
    return reinterpret_cast<ui_gadget_h>(&instance);
}

const char kShowSymbol[] = "_ZN12CSportsUGAPI18IsSportsmodeUGShowEv";

}  // namespace

Viewer::Viewer() { std::memset(&m_ops, 0, sizeof m_ops); }

Viewer::~Viewer() {
    // The library stays loaded: callbacks of the toolkit may still point into
    // it. Its private data goes, as when the framework is done with a gadget.
    vsim::SetResultListener(nullptr);
    if (m_initDone) Exit();
}

bool Viewer::OpenWindow() {
    setenv("ELM_DISPLAY", "buffer", 1);
    setenv("ELM_ACCEL", "none", 1);
    m_window = elm_win_add(nullptr, "tv-viewer", ELM_WIN_BASIC);
    if (!m_window) return false;
    elm_win_title_set(m_window, "tv-viewer-sim");
    // The picture behind the gadget: a dark broadcast frame.
    Evas_Object* picture = evas_object_rectangle_add(evas_object_evas_get(m_window));
    evas_object_color_set(picture, 18, 28, 38, 255);
    evas_object_size_hint_weight_set(picture, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    elm_win_resize_object_add(m_window, picture);
    evas_object_show(picture);
    evas_object_resize(m_window, 1920, 1080);
    evas_object_show(m_window);
    vsim::SetWindow(m_window);
    vsim::SetResultListener([this](ui_gadget_h, const vsim::Extras& extras) {
        for (const auto& extra : extras)
            if (extra.second == "pvrsportsmode" && (extra.first == "show" || extra.first == "hide"))
                m_pendingAnswers.push_back(extra.first);
    });
    return true;
}

void Viewer::SetFocus(bool on) {
    Ecore_Evas* ee = m_window ? ecore_evas_ecore_evas_get(evas_object_evas_get(m_window)) : nullptr;
    if (ee) ecore_evas_focus_set(ee, on ? EINA_TRUE : EINA_FALSE);
}

bool Viewer::Load(const std::string& path, std::string* error) {
    m_path = path;
    vsim::HoldCounting(true);
    m_library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    vsim::HoldCounting(false);
    if (!m_library) {
        if (error) *error = dlerror();
        return false;
    }
    m_init = reinterpret_cast<int (*)(struct ug_module_ops*)>(dlsym(m_library, "UG_MODULE_INIT"));
    m_exit = reinterpret_cast<void (*)(struct ug_module_ops*)>(dlsym(m_library, "UG_MODULE_EXIT"));
    m_isShow = reinterpret_cast<bool (*)()>(dlsym(m_library, kShowSymbol));
    if (!m_init || !m_exit) {
        if (error) *error = "the library has no UG_MODULE_INIT/UG_MODULE_EXIT";
        m_library = nullptr;
        return false;
    }
    return Init() == 0;
}

bool Viewer::Unload(std::string* error) {
    if (!m_library) return true;
    Exit();
    vsim::HoldCounting(true);
    dlclose(m_library);
    vsim::HoldCounting(false);
    m_library = nullptr;
    m_init = nullptr;
    m_exit = nullptr;
    m_isShow = nullptr;
    std::memset(&m_ops, 0, sizeof m_ops);  // its operations went with it
    void* still = dlopen(m_path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!still) return true;
    dlclose(still);
    if (error) *error = "the gadget library stays loaded after dlclose (marked nodelete, or holding a unique symbol)";
    return false;
}

int Viewer::Init() {
    std::memset(&m_ops, 0, sizeof m_ops);
    if (!m_init) return -1;
    int result = m_init(&m_ops);
    m_initDone = result == 0;
    return result;
}

void Viewer::Exit() {
    if (m_exit) m_exit(&m_ops);
    m_initDone = false;
}

bool Viewer::Create() {
    if (!m_ops.create) return false;
    m_base = static_cast<Evas_Object*>(m_ops.create(GadgetHandle(), UG_MODE_FULLVIEW, nullptr, m_ops.priv));
    if (m_base) {
        // The framework lays the gadget's base object over the whole window.
        evas_object_move(m_base, 0, 0);
        evas_object_resize(m_base, 1920, 1080);
        evas_object_show(m_base);
    }
    return m_base != nullptr;
}

void Viewer::Start() {
    if (m_ops.start) m_ops.start(GadgetHandle(), nullptr, m_ops.priv);
}

void Viewer::Pause() {
    if (m_ops.pause) m_ops.pause(GadgetHandle(), nullptr, m_ops.priv);
}

void Viewer::Resume() {
    if (m_ops.resume) m_ops.resume(GadgetHandle(), nullptr, m_ops.priv);
}

void Viewer::Destroy() {
    if (m_ops.destroy) m_ops.destroy(GadgetHandle(), nullptr, m_ops.priv);
    // The base object belongs to the framework once the gadget is gone.
    if (m_base) {
        evas_object_del(m_base);
        m_base = nullptr;
    }
}

int Viewer::KeyDown(const std::string& name) { return vsim::DispatchKey(TV_VIEWER_KEVENT_KEY_DOWN, name.c_str()); }

int Viewer::KeyUp(const std::string& name) { return vsim::DispatchKey(TV_VIEWER_KEVENT_KEY_UP, name.c_str()); }

void Viewer::Message(const std::vector<std::pair<std::string, std::string>>& extras) {
    app_control_h msg = nullptr;
    if (app_control_create(&msg) != APP_CONTROL_ERROR_NONE) return;
    for (const auto& extra : extras) app_control_add_extra_data(msg, extra.first.c_str(), extra.second.c_str());
    if (m_ops.message) m_ops.message(GadgetHandle(), msg, nullptr, m_ops.priv);
    app_control_destroy(msg);
}

int Viewer::PvrResult(int method, int result) { return vsim::DeliverPvrResult(method, result); }

void Viewer::Settle() {
    vclock::RunPending();
    // Answers may raise new requests; a bound keeps a misbehaving gadget from looping.
    for (int round = 0; round < 16 && !m_pendingAnswers.empty(); ++round) {
        std::vector<std::string> answers;
        answers.swap(m_pendingAnswers);
        if (!m_answers) continue;
        for (const std::string& cmd : answers) {
            vsim::Entry note;
            note.kind = "note";
            note.name = "viewer";
            note.text = "viewer answers " + cmd;
            vsim::Record(note);
            Message({{"cmd", cmd}});
        }
        vclock::RunPending();
    }
    m_pendingAnswers.clear();
}

bool Viewer::PopupShown() { return m_isShow ? m_isShow() : false; }

bool Viewer::Screenshot(const std::string& file, std::string* error) {
    Evas* canvas = evas_object_evas_get(m_window);
    Ecore_Evas* ee = ecore_evas_ecore_evas_get(canvas);
    if (!ee) {
        if (error) *error = "no canvas";
        return false;
    }
    ecore_evas_manual_render(ee);
    const void* pixels = ecore_evas_buffer_pixels_get(ee);
    int w = 0, h = 0;
    ecore_evas_geometry_get(ee, nullptr, nullptr, &w, &h);
    if (!pixels || w <= 0 || h <= 0) {
        if (error) *error = "the window has no pixels to save";
        return false;
    }
    // Evas saves the picture: copy the frame into an image object of its own.
    Evas_Object* image = evas_object_image_filled_add(canvas);
    evas_object_image_colorspace_set(image, EVAS_COLORSPACE_ARGB8888);
    evas_object_image_alpha_set(image, EINA_FALSE);
    evas_object_image_size_set(image, w, h);
    evas_object_image_data_copy_set(image, const_cast<void*>(pixels));
    bool saved = evas_object_image_save(image, file.c_str(), nullptr, "compress=6");
    evas_object_del(image);
    if (!saved && error) *error = "evas could not save " + file;
    return saved;
}

const char* Viewer::RemoteKeyFor(const char* key) {
    // clang-format off
    static const struct {
        const char* keyboard;
        const char* remote;
    } kMap[] = {
        {"r", "XF86Red"},          {"g", "XF86Green"},       {"y", "XF86Yellow"},       {"b", "XF86Blue"},
        {"Return", "Return"},      {"KP_Enter", "Return"},   {"BackSpace", "XF86Back"}, {"Escape", "XF86Exit"},
        {"Left", "Left"},          {"Right", "Right"},       {"Up", "Up"},              {"Down", "Down"},
        {"c", "XF86AudioRecord"},  {"p", "XF86AudioPause"},  {"space", "XF86AudioPlay"}, {"s", "XF86AudioStop"},
        {"n", "XF86AudioNext"},    {"w", "XF86AudioRewind"}, {"i", "XF86Info"},
        {"0", "0"}, {"1", "1"}, {"2", "2"}, {"3", "3"}, {"4", "4"}, {"5", "5"}, {"6", "6"}, {"7", "7"},
        {"8", "8"}, {"9", "9"},
    };
    // clang-format on
    if (!key) return nullptr;
    for (const auto& entry : kMap)
        if (std::strcmp(entry.keyboard, key) == 0) return entry.remote;
    return nullptr;
}

}  // namespace tvsim
