// Per-instance private data of the gadget, handed to every operation and,
// as user data, to the key handlers.
#ifndef VANTRO_UGDATA_H
#define VANTRO_UGDATA_H

#include <Evas.h>

#include "tv_viewer_kevent.h"
#include "ug_module.h"

class CSportsUGMgr;

struct UgData {
    tv_viewer_kevent_h hKeyEvent;
    tv_viewer_kevent_handler_id hLowKeyDown;
    tv_viewer_kevent_handler_id hLowKeyUp;
    tv_viewer_kevent_handler_id hHighKeyDown;
    tv_viewer_kevent_handler_id hHighKeyUp;
    Evas_Object* pWin;
    ui_gadget_h pUg;
    CSportsUGMgr* pMgr;
};

extern "C" {
// Registers the four key handlers with the viewer's key-event service.
void RegisterKeyEventCB(UgData** ppUgData);
int UGLowPrioKeyDownEventCB(void* event, void* data);
int UGLowPrioKeyReleaseEventCB(void* event, void* data);
int UGHighPrioKeyDownEventCB(void* event, void* data);
int UGHighPrioKeyReleaseEventCB(void* event, void* data);
}

// Releases the key handlers, the key-event handle and a created manager.
void ReleaseUGResource(UgData* pUgData);

// The verdict of the most recent key-down, repeated by every key-up.
extern int g_nKeyReleaseResult;

#endif
