// What the gadget's pop-up shows, read back from the widgets on the viewer's
// window, and a real mouse click on its button: scenarios check the pop-up
// as a user sees and uses it, not through the gadget's own fields.
#ifndef VANTRO_POPUP_PROBE_H
#define VANTRO_POPUP_PROBE_H

#include <Elementary.h>

#include <string>
#include <vector>

namespace tvsim {

struct PopupView {
    std::vector<std::string> texts;  // labels and button, markup removed, in widget order
    bool hasProgress = false;
    double progress = 0.0;
    Evas_Object* button = nullptr;
};

PopupView ProbePopup(Evas_Object* window);

// Feeds a mouse move, press and release at the centre of the object through
// its canvas; false when the object has no area on screen.
bool ClickCentre(Evas_Object* object);

}  // namespace tvsim

#endif
