#include "LiveWindow.h"

#include <Ecore_X.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tvsim {
namespace {

const char kSelfKey[] = "tvsim.live-window";

}  // namespace

LiveWindow::LiveWindow(Viewer& viewer) : m_viewer(viewer) {}

LiveWindow::~LiveWindow() {
    if (m_source)
        evas_event_callback_del_full(ecore_evas_get(m_source), EVAS_CALLBACK_RENDER_POST, OnSourceRendered, this);
    if (m_shown) ecore_evas_free(m_shown);
}

LiveWindow* LiveWindow::Of(Ecore_Evas* ee) { return static_cast<LiveWindow*>(ecore_evas_data_get(ee, kSelfKey)); }

bool LiveWindow::Open() {
    Evas_Object* window = m_viewer.Window();
    m_source = window ? ecore_evas_ecore_evas_get(evas_object_evas_get(window)) : nullptr;
    if (!m_source || !ecore_evas_buffer_pixels_get(m_source)) return false;
    ecore_evas_geometry_get(m_source, nullptr, nullptr, &m_width, &m_height);
    m_shown = ecore_evas_new("software_x11", 0, 0, m_width, m_height, nullptr);
    if (!m_shown) return false;
    ecore_evas_data_set(m_shown, kSelfKey, this);
    ecore_evas_title_set(m_shown, "tv-viewer-sim");
    ecore_evas_name_class_set(m_shown, "tv-viewer", "tv-viewer-sim");
    // One screen pixel per picture pixel: a scaled window would not show what the PNG holds.
    ecore_evas_size_min_set(m_shown, m_width, m_height);
    ecore_evas_size_max_set(m_shown, m_width, m_height);
    ecore_evas_callback_focus_in_set(m_shown, OnFocusIn);
    ecore_evas_callback_focus_out_set(m_shown, OnFocusOut);
    ecore_evas_callback_delete_request_set(m_shown, OnDeleteRequest);

    m_picture = evas_object_image_filled_add(ecore_evas_get(m_shown));
    evas_object_image_colorspace_set(m_picture, EVAS_COLORSPACE_ARGB8888);
    evas_object_image_alpha_set(m_picture, EINA_FALSE);
    evas_object_image_size_set(m_picture, m_width, m_height);
    evas_object_move(m_picture, 0, 0);
    evas_object_resize(m_picture, m_width, m_height);
    evas_object_show(m_picture);

    evas_event_callback_add(ecore_evas_get(m_source), EVAS_CALLBACK_RENDER_POST, OnSourceRendered, this);
    m_changed.push_back({0, 0, m_width, m_height});
    ecore_evas_show(m_shown);
    // A new window has no keyboard focus until the person (or the window
    // manager) gives it: the viewer's window is as unfocused as this one.
    m_viewer.SetFocus(ecore_evas_focus_get(m_shown));
    Refresh();
    return true;
}

void LiveWindow::Refresh() {
    ecore_evas_manual_render(m_source);
    if (m_changed.empty()) return;
    CopyChanged();
    ecore_evas_manual_render(m_shown);
    // The software engine may finish a frame on a thread of its own; a
    // capture of the screen after Refresh must see this frame.
    evas_sync(ecore_evas_get(m_shown));
    ecore_x_sync();
}

void LiveWindow::CopyChanged() {
    const auto* from = static_cast<const uint32_t*>(ecore_evas_buffer_pixels_get(m_source));
    auto* to = static_cast<uint32_t*>(evas_object_image_data_get(m_picture, EINA_TRUE));
    if (!from || !to) return;
    // The buffer engine's rows are exactly one picture wide.
    const int toStride = evas_object_image_stride_get(m_picture) / static_cast<int>(sizeof(uint32_t));
    for (Eina_Rectangle& area : m_changed) {
        int x0 = std::max(area.x, 0), y0 = std::max(area.y, 0);
        int x1 = std::min(area.x + area.w, m_width), y1 = std::min(area.y + area.h, m_height);
        area = {x0, y0, x1 - x0, y1 - y0};
        for (int y = y0; y < y1; ++y)
            std::memcpy(to + y * toStride + x0, from + y * m_width + x0, (x1 - x0) * sizeof(uint32_t));
    }
    evas_object_image_data_set(m_picture, to);
    for (const Eina_Rectangle& area : m_changed)
        if (area.w > 0 && area.h > 0) evas_object_image_data_update_add(m_picture, area.x, area.y, area.w, area.h);
    m_changed.clear();
}

void LiveWindow::OnSourceRendered(void* data, Evas*, void* info) {
    auto* self = static_cast<LiveWindow*>(data);
    const auto* post = static_cast<const Evas_Event_Render_Post*>(info);
    if (!post) return;
    const Eina_List* node;
    void* item;
    EINA_LIST_FOREACH(post->updated_area, node, item)
    self->m_changed.push_back(*static_cast<const Eina_Rectangle*>(item));
}

void LiveWindow::OnFocusIn(Ecore_Evas* ee) { Of(ee)->m_viewer.SetFocus(true); }

void LiveWindow::OnFocusOut(Ecore_Evas* ee) { Of(ee)->m_viewer.SetFocus(false); }

void LiveWindow::OnDeleteRequest(Ecore_Evas* ee) { Of(ee)->m_closeRequested = true; }

}  // namespace tvsim
