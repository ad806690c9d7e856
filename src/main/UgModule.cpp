// The gadget's entry points and the operations the framework drives.
#include <libintl.h>

#include <cstdlib>
#include <cstring>

#include "ResourcePaths.h"
#include "SportsUGMgr.h"
#include "UgData.h"
#include "VantroLog.h"
#include "app_control.h"

#define VANTRO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The viewer's commands, tried in this order; "exit" comes before "enter" so
// a lone "e" means exit. A value matches a keyword it is a leading part of.
const struct {
    const char* keyword;
    int event;
} kCommands[] = {
    {"show", UG_EVENT_SHOW}, {"hide", UG_EVENT_HIDE}, {"exit", UG_EVENT_EXIT_ZOOM}, {"enter", UG_EVENT_ENTER_ZOOM}};

// The event of a command value, or 0 when it names none.
int CommandEvent(const char* value) {
    std::size_t length = std::strlen(value);
    if (length == 0) return 0;
    for (const auto& command : kCommands)
        if (std::strncmp(value, command.keyword, length) == 0) return command.event;
    return 0;
}

// The extra-data value of key, or null when missing or empty (an empty one is freed).
char* ReadCommand(app_control_h msg, const char* key) {
    char* value = nullptr;
    if (app_control_get_extra_data(msg, key, &value) != APP_CONTROL_ERROR_NONE) return nullptr;
    if (value && !*value) {
        std::free(value);
        value = nullptr;
    }
    return value;
}

void* Create(ui_gadget_h ug, enum ug_mode, app_control_h, void* priv) {
    VLOG_INFO("create pvrsportsmode ug");
    if (!ug || !priv) {
        VLOG_SYS("UG data error, create UG fail!");
        return nullptr;
    }
    UgData* pUgData = static_cast<UgData*>(priv);
    ReleaseUGResource(pUgData);

    pUgData->pWin = ug_get_window();
    if (!pUgData->pWin) {
        VLOG_SYS("UG window get failed");
        return nullptr;
    }
    pUgData->pMgr = CSportsUGMgr::Get();
    if (!pUgData->pMgr) {
        VLOG_SYS("Failed to new sportsugmgr!");
        return nullptr;
    }
    pUgData->pMgr->Create(pUgData->pWin, ug);
    pUgData->pUg = ug;
    RegisterKeyEventCB(&pUgData);
    pUgData->pMgr->RegisterPVRServiceResultCb();
    return pUgData->pMgr->GetBaseLayout();
}

void Start(ui_gadget_h ug, app_control_h, void* priv) {
    VLOG_INFO("sportsmode ug start() called");
    if (!ug || !priv) VLOG_SYS("UG data error, start UG fail!");
}

void Pause(ui_gadget_h ug, app_control_h, void* priv) {
    if (!ug || !priv) {
        VLOG_SYS("UG data error, pause UG fail!");
        return;
    }
    // The key handlers stay: keys are decided while paused too.
    VLOG_INFO(" Enter Pause function ");
}

void Resume(ui_gadget_h ug, app_control_h, void* priv) {
    if (!ug || !priv) {
        VLOG_SYS("UG data error, Resume UG fail!");
        return;
    }
    VLOG_INFO(" Enter Resume function ");
}

void OnEvent(ui_gadget_h ug, enum ug_event, app_control_h, void*) {
    VLOG_INFO(" Enter OnEvent function ");
    if (!ug) VLOG_SYS("UG data error!");
}

void OnMessage(ui_gadget_h ug, app_control_h msg, app_control_h, void* priv) {
    if (!ug || !priv) {
        VLOG_SYS("UG data error, message UG fail!");
        return;
    }
    UgData* pUgData = static_cast<UgData*>(priv);

    char* cmd = ReadCommand(msg, "cmd");
    char* zoom = cmd ? nullptr : ReadCommand(msg, "sportsmodezoom");
    const char* value = cmd ? cmd : (zoom ? zoom : "");
    VLOG_SYS("sports mode ug show/hide cmd is: [%s]", value);

    // Each command's line is written from a site of its own.
    const int event = CommandEvent(value);
    switch (event) {
        case UG_EVENT_SHOW:
            VLOG_SYS("process the sports ug show");
            break;
        case UG_EVENT_HIDE:
            VLOG_SYS("process the sports ug hide");
            break;
        case UG_EVENT_EXIT_ZOOM:
            VLOG_SYS("process the exit sportzoommode");
            break;
        case UG_EVENT_ENTER_ZOOM:
            VLOG_SYS("Process enter zoom msg.");
            break;
        default:
            break;
    }
    if (event != 0 && pUgData->pMgr) pUgData->pMgr->ProcessUGEvent(event);
    std::free(cmd);
    std::free(zoom);
}

void Destory(ui_gadget_h ug, app_control_h, void* priv) {
    if (!ug || !priv) {
        VLOG_SYS("UG data error, Destory UG fail!");
        return;
    }
    UgData* pUgData = static_cast<UgData*>(priv);
    CSportsUGMgr::UnRegisterPVRServiceResultCb();
    ReleaseUGResource(pUgData);
    // Also with no window stored: the toolkit ignores a null window.
    elm_win_focus_highlight_enabled_set(pUgData->pWin, EINA_TRUE);
    VLOG_SYS("Destory UG success.");
}

}  // namespace

void ReleaseUGResource(UgData* pUgData) {
    if (!pUgData) {
        VLOG_SYS("UG data error, release UG resource fail!");
        return;
    }
    // Each id is forgotten once released, so a second release deletes nothing twice.
    // cppcheck-suppress constVariable ; the ids are written through these pointers
    tv_viewer_kevent_handler_id* const ids[] = {&pUgData->hLowKeyDown, &pUgData->hLowKeyUp, &pUgData->hHighKeyDown,
                                                &pUgData->hHighKeyUp};
    for (tv_viewer_kevent_handler_id* const id : ids) {
        if (*id) {
            tv_viewer_kevent_handler_del(*id);
            *id = 0;
        }
    }
    if (pUgData->hKeyEvent) {
        tv_viewer_kevent_fini(pUgData->hKeyEvent);
        pUgData->hKeyEvent = nullptr;
    }
    // A manager that was never created stays the singleton, not destroyed.
    // It answered keys all the same: a timer it started would outlive the
    // gadget (a key after a failed create, found by failing each call).
    if (pUgData->pMgr && pUgData->pMgr->FlagCreate()) {
        pUgData->pMgr->Destroy();
        delete pUgData->pMgr;
        pUgData->pMgr = nullptr;
    } else if (pUgData->pMgr) {
        pUgData->pMgr->EndWaits();
    }
    VLOG_WARN("Release UG resource.");
}

VANTRO_EXPORT int UG_MODULE_INIT(struct ug_module_ops* ops) {
    VLOG_INFO(" UG_MODULE_INIT ");
    if (!ops) return -1;
    auto* pUgData = static_cast<UgData*>(std::calloc(1, sizeof(UgData)));
    if (!pUgData) return -1;
    ops->create = Create;
    ops->start = Start;
    ops->pause = Pause;
    ops->resume = Resume;
    ops->destroy = Destory;
    ops->message = OnMessage;
    ops->event = OnEvent;
    ops->priv = pUgData;
    ops->opt = 0;
    bindtextdomain(VANTRO_TEXT_DOMAIN, VANTRO_LOCALE_DIR);
    // Texts reach EFL as UTF-8 whatever the process locale's charset.
    bind_textdomain_codeset(VANTRO_TEXT_DOMAIN, "UTF-8");
    return 0;
}

VANTRO_EXPORT void UG_MODULE_EXIT(struct ug_module_ops* ops) {
    VLOG_INFO(" UG_MODULE_EXIT ");
    if (!ops || !ops->priv) return;
    std::free(ops->priv);
    ops->priv = nullptr;
}
