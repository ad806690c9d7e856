// The gadget's four key handlers: a cheap filter by name, then the manager.
#include <cstring>

#include "PVRKey.h"
#include "SportsUGMgr.h"
#include "UgData.h"
#include "VantroLog.h"

int g_nKeyReleaseResult = 1;

namespace {

enum { KEY_CONSUMED = 0, KEY_RETURNED = 1 };

const char* KeyName(void* event) {
    const auto* info = static_cast<const tv_viewer_kevent_info_s*>(event);
    return info && info->keyname ? info->keyname : "";
}

CSportsUGMgr* Manager(void* data) {
    auto* ugData = static_cast<UgData*>(data);
    return ugData ? ugData->pMgr : nullptr;
}

bool IsHighPrioKey(const char* name) {
    return std::strcmp(name, "Return") == 0 || std::strcmp(name, "XF86Back") == 0 || std::strcmp(name, "XF86Exit") == 0;
}

}  // namespace

// The answers are macros, not functions, so that each line is written from the
// handler that gives it: on a TV the log tells the two priorities apart.
#define VANTRO_RETURN_KEY()                                                      \
    do {                                                                         \
        VLOG_INFO("UG don't need to process this key, return it to tv-viewer."); \
        g_nKeyReleaseResult = KEY_RETURNED;                                      \
        return KEY_RETURNED;                                                     \
    } while (0)

#define VANTRO_RETURN_DATA_ERROR()                                     \
    do {                                                               \
        VLOG_SYS("UG data error, return UG key down event callback!"); \
        g_nKeyReleaseResult = KEY_RETURNED;                            \
        return KEY_RETURNED;                                           \
    } while (0)

// Only exactly 1 from the manager consumes the key.
#define VANTRO_RETURN_VERDICT(managerResult, name)                \
    do {                                                          \
        if ((managerResult) == 1) {                               \
            VLOG_SYS("sports mode ug consumed the key:%s", name); \
            g_nKeyReleaseResult = KEY_CONSUMED;                   \
            return KEY_CONSUMED;                                  \
        }                                                         \
        VANTRO_RETURN_KEY();                                      \
    } while (0)

extern "C" {

void RegisterKeyEventCB(UgData** ppUgData) {
    UgData* pUgData = ppUgData ? *ppUgData : nullptr;
    if (!pUgData) {
        VLOG_SYS("pUgData is NULL!");
        return;
    }
    pUgData->hKeyEvent = tv_viewer_kevent_init("libvantro");
    pUgData->hLowKeyDown = tv_viewer_kevent_handler_add(
        pUgData->hKeyEvent, TV_VIEWER_KEVENT_KEY_DOWN, TV_VIEWER_KEVENT_PRIORITY_LOW, UGLowPrioKeyDownEventCB, pUgData);
    pUgData->hLowKeyUp =
        tv_viewer_kevent_handler_add(pUgData->hKeyEvent, TV_VIEWER_KEVENT_KEY_UP, TV_VIEWER_KEVENT_PRIORITY_LOW,
                                     UGLowPrioKeyReleaseEventCB, pUgData);
    pUgData->hHighKeyDown =
        tv_viewer_kevent_handler_add(pUgData->hKeyEvent, TV_VIEWER_KEVENT_KEY_DOWN, TV_VIEWER_KEVENT_PRIORITY_HIGH,
                                     UGHighPrioKeyDownEventCB, pUgData);
    pUgData->hHighKeyUp =
        tv_viewer_kevent_handler_add(pUgData->hKeyEvent, TV_VIEWER_KEVENT_KEY_UP, TV_VIEWER_KEVENT_PRIORITY_HIGH,
                                     UGHighPrioKeyReleaseEventCB, pUgData);
}

int UGLowPrioKeyDownEventCB(void* event, void* data) {
    CSportsUGMgr* mgr = Manager(data);
    if (!mgr) VANTRO_RETURN_DATA_ERROR();
    const char* name = KeyName(event);
    VLOG_INFO("UG recieve keyname is :[%s],check if need to consume", name);
    if (!CPVRKey::IsUgRecognitionKey(name) && !CPVRKey::IsRecorderRecognitionKey(name)) VANTRO_RETURN_KEY();
    VLOG_INFO("sports mode ug check if need to use the key.");
    const int used = mgr->ProcessLowPrioKeyEvent(CPVRKey::KeyNameToKeyType(name));
    VANTRO_RETURN_VERDICT(used, name);
}

int UGHighPrioKeyDownEventCB(void* event, void* data) {
    CSportsUGMgr* mgr = Manager(data);
    if (!mgr) VANTRO_RETURN_DATA_ERROR();
    const char* name = KeyName(event);
    VLOG_INFO("UG recieve keyname is :[%s],check if need to consume", name);
    if (!IsHighPrioKey(name)) VANTRO_RETURN_KEY();
    VLOG_INFO("sports mode need to use the key.");
    const int used = mgr->ProcessHighPrioKeyEvent(CPVRKey::KeyNameToKeyType(name));
    VANTRO_RETURN_VERDICT(used, name);
}

int UGLowPrioKeyReleaseEventCB(void*, void*) { return g_nKeyReleaseResult; }

int UGHighPrioKeyReleaseEventCB(void*, void*) { return g_nKeyReleaseResult; }

}  // extern "C"
