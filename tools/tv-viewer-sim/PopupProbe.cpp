#include "PopupProbe.h"

#include <cstdlib>
#include <cstring>

namespace tvsim {
namespace {

// The text as read on screen: markup removed, outer blanks dropped.
std::string PlainText(const char* markup) {
    if (!markup) return "";
    char* plain = elm_entry_markup_to_utf8(markup);
    std::string text = plain ? plain : "";
    std::free(plain);
    std::size_t first = text.find_first_not_of(" \t\n");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\n") - first + 1);
}

bool IsWidget(Evas_Object* object, const char* type) {
    if (!elm_object_widget_check(object)) return false;
    const char* have = elm_object_widget_type_get(object);
    return have && std::strcmp(have, type) == 0;
}

// Reads one object; true when it is a group whose members are to be read too.
bool Visit(Evas_Object* object, PopupView* view) {
    if (!evas_object_visible_get(object)) return false;
    if (IsWidget(object, "Elm_Label")) {
        view->texts.push_back(PlainText(elm_object_text_get(object)));
        return false;
    }
    if (IsWidget(object, "Elm_Progressbar")) {
        view->hasProgress = true;
        view->progress = elm_progressbar_value_get(object);
        return false;
    }
    if (IsWidget(object, "Elm_Button")) {
        view->button = object;
        view->texts.push_back(PlainText(elm_object_text_get(object)));
        return false;
    }
    // Only groups have members: widgets, layouts (edje) and their boxes.
    const char* type = evas_object_type_get(object);
    return elm_object_widget_check(object) ||
           (type && (std::strcmp(type, "edje") == 0 || std::strcmp(type, "Evas_Object_Box") == 0));
}

// Depth first, members in stacking order, as a reader meets them.
void Walk(Evas_Object* root, PopupView* view) {
    std::vector<Evas_Object*> pending{root};
    while (!pending.empty()) {
        Evas_Object* object = pending.back();
        pending.pop_back();
        if (!Visit(object, view)) continue;
        std::vector<Evas_Object*> members;
        Eina_List* list = evas_object_smart_members_get(object);
        void* member;
        EINA_LIST_FREE(list, member) members.push_back(static_cast<Evas_Object*>(member));
        pending.insert(pending.end(), members.rbegin(), members.rend());
    }
}

}  // namespace

PopupView ProbePopup(Evas_Object* window) {
    PopupView view;
    if (!window) return view;
    // The window's content sits on the canvas beside it, not inside it.
    for (Evas_Object* o = evas_object_bottom_get(evas_object_evas_get(window)); o; o = evas_object_above_get(o))
        Walk(o, &view);
    return view;
}

bool ClickCentre(Evas_Object* object) {
    Evas_Coord x = 0, y = 0, w = 0, h = 0;
    evas_object_geometry_get(object, &x, &y, &w, &h);
    if (w <= 0 || h <= 0) return false;
    Evas* canvas = evas_object_evas_get(object);
    unsigned int at = static_cast<unsigned int>(ecore_loop_time_get() * 1000.0);
    evas_event_feed_mouse_move(canvas, x + w / 2, y + h / 2, at, nullptr);
    evas_event_feed_mouse_down(canvas, 1, EVAS_BUTTON_NONE, at + 1, nullptr);
    evas_event_feed_mouse_up(canvas, 1, EVAS_BUTTON_NONE, at + 2, nullptr);
    return true;
}

}  // namespace tvsim
