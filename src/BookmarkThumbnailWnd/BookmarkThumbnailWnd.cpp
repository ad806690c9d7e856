#include "BookmarkThumbnailWnd.h"

#include <libintl.h>

#include <cstdio>
#include <cstring>

#include "ResourcePaths.h"
#include "SportsUGMgr.h"
#include "SportsUtil.h"
#include "TimerHandle.h"
#include "VantroLog.h"
#include "ua_ui.h"
#include "utilx.h"

namespace {

const char* const kLayoutGroup = "bookmark_thumbnailwnd";
const int kScreenWidth = 1920;
const int kScreenHeight = 1080;
const int kFontSize = 26;
const int kMarkupBufferSize = 256;
// Thumbnails of this many bytes or fewer cannot be a real picture.
const int kMinImageBytes = 64;
const int kFallbackWidth = 352;
const int kFallbackHeight = 199;
const int kProgressSteps = 10;
// The button sits just below the window's own layer.
const short kButtonLayer = 32766;
const short kWindowLayer = 32767;

const char* const kMarkMarkup = "<color=#00BCFAFF><font_size=%d><font=Lunetra 700> %s </font></font_size></color>";
const char* const kTypeMarkup = "<color=#FFFFFF7F><font_size=%d><font=Lunetra 700> %s </font></font_size></color>";
const char* const kTimeMarkup = "<color=#FFFFFF7F><font_size=%d><font=Lunetra 300> %s</font></font_size></color>";

const char* Tr(const char* id) { return dgettext(VANTRO_TEXT_DOMAIN, id); }

enum HighlightType { HIGHLIGHT_AUTO = 1, HIGHLIGHT_MANUAL = 2 };

template <typename T>
void DeleteObject(T*& obj) {
    if (obj) {
        evas_object_del(obj);
        obj = nullptr;
    }
}

}  // namespace

CBookmarkThumbnailWnd::CBookmarkThumbnailWnd()
    : m_pWindowLayout(nullptr),
      m_pThumbnailImage(nullptr),
      m_pProgressBar(nullptr),
      m_pTextBox(nullptr),
      m_pTypeMarkLabel(nullptr),
      m_pTypeTextLabel(nullptr),
      m_pTimeLabel(nullptr),
      m_pGoButton(nullptr),
      m_pUpdateProgressAlarm(nullptr),
      m_nProgressCount(0) {}

CBookmarkThumbnailWnd::~CBookmarkThumbnailWnd() {}

bool CBookmarkThumbnailWnd::t_Create(Evas_Object* parent) {
    if (!parent) {
        VLOG_SYS("pWin is null");
        return false;
    }

    // The viewer's window is composited as not opaque while the pop-up is up.
    VLOG_SYS("Call utilx_set_window_opaque_state, to state OFF");
    utilx_set_window_opaque_state(ecore_x_display_get(), elm_win_xwindow_get(parent), UTILX_OPAQUE_STATE_OFF);

    m_pWindowLayout = elm_layout_add(parent);
    if (!m_pWindowLayout) {
        VLOG_SYS("m_pWindowLayout is null");
        return false;
    }
    if (!elm_layout_file_set(m_pWindowLayout, VANTRO_EDJ_FILE, kLayoutGroup)) {
        VLOG_SYS("CBookmarkThumbnailWnd::failed to load edj file");
        evas_object_del(m_pWindowLayout);
        m_pWindowLayout = nullptr;
        return false;
    }
    evas_object_size_hint_weight_set(m_pWindowLayout, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    evas_object_move(m_pWindowLayout, 0, 0);
    evas_object_resize(m_pWindowLayout, kScreenWidth, kScreenHeight);
    evas_object_focus_set(m_pWindowLayout, EINA_TRUE);
    evas_object_event_callback_add(m_pWindowLayout, EVAS_CALLBACK_KEY_DOWN, m_OnBookMarkWndKeyInputCB, this);

    m_pTextBox = elm_box_add(m_pWindowLayout);
    elm_box_horizontal_set(m_pTextBox, EINA_TRUE);
    evas_object_size_hint_weight_set(m_pTextBox, 0.0, EVAS_HINT_EXPAND);
    evas_object_size_hint_align_set(m_pTextBox, 0.0, EVAS_HINT_FILL);
    elm_box_padding_set(m_pTextBox, 10, 0);
    evas_object_show(m_pTextBox);
    elm_object_part_content_set(m_pWindowLayout, "highlight_thumbnail_icon", m_pTextBox);

    Evas_Object** labels[] = {&m_pTypeMarkLabel, &m_pTypeTextLabel, &m_pTimeLabel};
    for (Evas_Object** label : labels) {
        *label = elm_label_add(m_pWindowLayout);
        evas_object_show(*label);
        elm_box_pack_end(m_pTextBox, *label);
    }

    m_pProgressBar = elm_progressbar_add(m_pWindowLayout);
    elm_progressbar_horizontal_set(m_pProgressBar, EINA_TRUE);
    elm_object_style_set(m_pProgressBar, "c_progress_bar");
    elm_object_part_content_set(m_pWindowLayout, "slider", m_pProgressBar);
    evas_object_show(m_pProgressBar);
    if (ua_UI_orientation_get() == 1) {
        // Time runs left to right in every language.
        elm_object_mirrored_automatic_set(m_pProgressBar, EINA_FALSE);
        elm_object_mirrored_set(m_pProgressBar, EINA_FALSE);
    }

    m_pUpdateProgressAlarm = ecore_timer_add(1.0, m_OnUpdateAlarmTimeOutCB, this);

    m_pGoButton = elm_button_add(m_pWindowLayout);
    evas_object_layer_set(m_pGoButton, kButtonLayer);
    elm_object_style_set(m_pGoButton, "c_button_icontext");
    Evas_Object* icon = elm_icon_add(m_pGoButton);
    elm_image_file_set(icon, VANTRO_BUTTON_ICON, nullptr);
    elm_object_part_content_set(m_pGoButton, "icon", icon);
    elm_object_part_content_set(m_pWindowLayout, "thumbnail_swallow_btn", m_pGoButton);
    elm_object_text_set(m_pGoButton, Tr("COM_SID_GO"));
    elm_object_focus_allow_set(m_pGoButton, EINA_TRUE);
    elm_object_focus_set(m_pGoButton, EINA_TRUE);
    elm_object_signal_emit(m_pGoButton, "elm,action,focus", "elm");
    evas_object_show(m_pGoButton);
    evas_object_event_callback_add(m_pGoButton, EVAS_CALLBACK_MOUSE_IN, ButtonMouseInCallback, this);
    evas_object_event_callback_add(m_pGoButton, EVAS_CALLBACK_MOUSE_OUT, ButtonMouseOutCallback, this);
    evas_object_event_callback_add(m_pGoButton, EVAS_CALLBACK_MOUSE_UP, ButtonMouseUpCallback, this);

    // Asked again: the language may have changed while the pop-up was built.
    if (ua_UI_orientation_get() == 1) {
        VLOG_SYS("RTL orientation, Reverse osd.");
        elm_config_mirrored_set(EINA_TRUE);
        elm_object_signal_emit(m_pWindowLayout, "state_reverse", "code");
    } else {
        VLOG_SYS("LTR orientation, Not Reverse osd.");
        elm_config_mirrored_set(EINA_FALSE);
        elm_object_signal_emit(m_pWindowLayout, "state_normal", "code");
    }
    return true;
}

bool CBookmarkThumbnailWnd::SetBookmarkData(stBookmarkThumbnail*& record) {
    if (!record) {
        VLOG_SYS("pLatestBookmark is NULL!");
        return false;
    }
    char timeText[16] = {0};
    CSportsUtil::FormatLongToTime(record->lHighlightTime, timeText);
    SetTextValue(timeText, record->bIsAuto ? HIGHLIGHT_AUTO : HIGHLIGHT_MANUAL);

    // No picture in the record: the one on screen stays.
    if (record->iImageSize > 0) {
        VLOG_SYS("ImageSize = [%d]", record->iImageSize);
        if (!record->pImageBuffer) VLOG_SYS("pImageBuffer == NULL");
        SetIconImage(record->pImageBuffer, record->iImageSize, record->bIsAuto, record->iImageBytesRead);
    }
    m_nProgressCount = 0;
    return true;
}

bool CBookmarkThumbnailWnd::SetTextValue(char* time, long type) {
    VLOG_SYS("Enter SetTextValue(), pHighlightTime = [%s], pHighlightType = [%ld]", time ? time : "(null)", type);
    const char* typeText = nullptr;
    const char* mark = nullptr;
    if (type == HIGHLIGHT_AUTO) {
        typeText = Tr("TV_SID_AUTO_HIGHLIGHT");
        mark = "A";
    } else {
        if (type != HIGHLIGHT_MANUAL) VLOG_SYS("pHighlightTime is NULL, default is manual highlight");
        typeText = Tr("TV_SID_MANUAL_HIGHLIGHT");
        mark = "M";
    }
    m_SetAccessInfo(typeText);

    const char* shownTime = time;
    if (!shownTime) {
        VLOG_SYS("pHighlightTime is NULL, default time is 88:59:59");
        shownTime = "88:59:59";
    }

    // snprintf cuts an over-long markup at 255 bytes.
    char buffer[kMarkupBufferSize];
    std::snprintf(buffer, sizeof(buffer), kMarkMarkup, kFontSize, mark);
    elm_object_part_text_set(m_pTypeMarkLabel, nullptr, buffer);
    std::snprintf(buffer, sizeof(buffer), kTypeMarkup, kFontSize, typeText);
    elm_object_part_text_set(m_pTypeTextLabel, nullptr, buffer);
    std::snprintf(buffer, sizeof(buffer), kTimeMarkup, kFontSize, shownTime);
    VLOG_SYS("strBuf = [%s]", buffer);
    elm_object_part_text_set(m_pTimeLabel, nullptr, buffer);
    return true;
}

void CBookmarkThumbnailWnd::m_SetAccessInfo(char const* text) {
    if (!elm_config_access_get()) return;
    char buffer[kMarkupBufferSize];
    std::snprintf(buffer, sizeof(buffer), "%s,%s,%s.", text ? text : "", Tr("COM_SID_GO"),
                  Tr("COM_IDS_CATEGORY_CALENDAR_BUTTON"));
    VLOG_SYS("set and say the access info:%s", buffer);
    elm_access_say(buffer);
}

bool CBookmarkThumbnailWnd::SetIconImage(char* bytes, int size, bool isAuto, int bytesPresent) {
    VLOG_SYS("Enter SetIconImage(), pImageBuffer= [%p],iImageSize is [%d],bIsAuto is [%d].", static_cast<void*>(bytes),
             size, isAuto ? 1 : 0);
    if (bytes && size > kMinImageBytes) {
        m_pThumbnailImage = elm_image_add(m_pWindowLayout);
        if (!m_pThumbnailImage) {
            VLOG_SYS("m_pThumbnailImage is null");
            return false;
        }
        // A bookmark may claim far more bytes than its file had; the reader's
        // buffer then ends with the bytes it found. JPEG and PNG never end in
        // a zero byte, so trailing zeros are not picture data: keep the
        // toolkit, which copies what it is given, from copying them. The
        // search starts at the last byte the file had.
        size_t length = static_cast<size_t>(size);
        if (bytesPresent >= 0 && bytesPresent < size) length = static_cast<size_t>(bytesPresent);
        while (length > 0 && bytes[length - 1] == 0) --length;
        elm_image_memfile_set(m_pThumbnailImage, bytes, length, isAuto ? "jpg" : "png", nullptr);
        // The widget wraps the Evas image that does the filling.
        evas_object_image_filled_set(elm_image_object_get(m_pThumbnailImage), EINA_TRUE);
        evas_object_size_hint_align_set(m_pThumbnailImage, 0.0, 0.0);
        evas_object_size_hint_weight_set(m_pThumbnailImage, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
        elm_image_resizable_set(m_pThumbnailImage, EINA_TRUE, EINA_TRUE);
        elm_image_aspect_fixed_set(m_pThumbnailImage, EINA_TRUE);
        // Swallowing deletes the thumbnail shown before.
        elm_object_part_content_set(m_pWindowLayout, "thumbnail_swallow_image", m_pThumbnailImage);
        PrintPartCoordinate("thumbnail_swallow_image");
        PrintObjectCoordinate(m_pThumbnailImage);
        int width = 0;
        int height = 0;
        elm_image_object_size_get(m_pThumbnailImage, &width, &height);
        VLOG_SYS("m_pThumbnailImage Width is [%d], Height is [%d].", width, height);
        evas_object_show(m_pThumbnailImage);
        return true;
    }

    if (size < kMinImageBytes) VLOG_SYS("image size less than 64, use default image");
    m_pThumbnailImage = elm_image_add(m_pWindowLayout);
    if (!m_pThumbnailImage) {
        VLOG_SYS("fail to get ThumbnailImage");
        return false;
    }
    elm_image_no_scale_set(m_pThumbnailImage, EINA_FALSE);
    elm_image_file_set(m_pThumbnailImage, VANTRO_FALLBACK_THUMBNAIL, nullptr);
    elm_image_fill_outside_set(m_pThumbnailImage, EINA_TRUE);
    evas_object_size_hint_align_set(m_pThumbnailImage, 0.0, 0.0);
    evas_object_size_hint_weight_set(m_pThumbnailImage, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    elm_object_part_content_set(m_pWindowLayout, "thumbnail_swallow_image", m_pThumbnailImage);
    evas_object_resize(m_pThumbnailImage, kFallbackWidth, kFallbackHeight);
    evas_object_show(m_pThumbnailImage);
    return true;
}

Eina_Bool CBookmarkThumbnailWnd::m_OnUpdateAlarmTimeOutCB(void* data) {
    CBookmarkThumbnailWnd* self = static_cast<CBookmarkThumbnailWnd*>(data);
    if (!self) return ECORE_CALLBACK_CANCEL;
    // Full bar: keep ticking so that a new bookmark can start it again.
    if (self->m_nProgressCount > kProgressSteps - 1) return ECORE_CALLBACK_RENEW;
    ++self->m_nProgressCount;
    elm_progressbar_value_set(self->m_pProgressBar, self->m_nProgressCount / static_cast<double>(kProgressSteps));
    return ECORE_CALLBACK_RENEW;
}

void CBookmarkThumbnailWnd::m_OnBookMarkWndKeyInputCB(void* data, Evas*, Evas_Object*, void* event) {
    Evas_Event_Key_Down* keyDown = static_cast<Evas_Event_Key_Down*>(event);
    if (!keyDown) {
        VLOG_SYS("pEvKeyDown is null");
        return;
    }
    if (!data) {
        VLOG_SYS("pWnd is null");
        return;
    }
    // Remote keys are the gadget's business through the viewer's key service;
    // no other toolkit handler may act on them here.
    keyDown->event_flags = static_cast<Evas_Event_Flags>(keyDown->event_flags | EVAS_EVENT_FLAG_ON_HOLD);
    const char* name = keyDown->keyname ? keyDown->keyname : "";
    VLOG_SYS("here key name is [%s]", name);
    // clang-format off
    static const struct {
        const char* key;
        const char* line;
    } kKnownKeys[] = {
        {"XF86Back", "press return key"}, {"XF86Exit", "press exit key"},   {"Return", "press ok key"},
        {"XF86Green", "press B key"},     {"XF86Yellow", "press C key"},
    };
    // clang-format on
    for (const auto& known : kKnownKeys) {
        if (std::strcmp(name, known.key) == 0) {
            VLOG_SYS("%s", known.line);
            break;
        }
    }
}

void CBookmarkThumbnailWnd::ButtonMouseInCallback(void*, Evas*, Evas_Object*, void*) {
    VLOG_DEBUG("mouse event ButtonMouseInCallback");
}

void CBookmarkThumbnailWnd::ButtonMouseOutCallback(void*, Evas*, Evas_Object*, void*) {
    VLOG_DEBUG("mouse event ButtonMouseOutCallback");
}

void CBookmarkThumbnailWnd::ButtonMouseUpCallback(void*, Evas*, Evas_Object*, void*) {
    VLOG_SYS("mouse event ButtonMouseUpCallback");
    CSportsUGMgr* mgr = CSportsUGMgr::Get();
    if (mgr) mgr->ShowHighlightPlayerForMouse();
}

void CBookmarkThumbnailWnd::PrintPartCoordinate(const char* part) {
    Evas_Coord x = 0, y = 0, w = 0, h = 0;
    if (m_pWindowLayout && part)
        edje_object_part_geometry_get(elm_layout_edje_get(m_pWindowLayout), part, &x, &y, &w, &h);
    VLOG_DEBUG("part [%s] x = %d, y = %d, w = %d, h = %d", part ? part : "(null)", x, y, w, h);
}

void CBookmarkThumbnailWnd::PrintObjectCoordinate(Evas_Object* obj) {
    Evas_Coord x = 0, y = 0, w = 0, h = 0;
    if (obj) evas_object_geometry_get(obj, &x, &y, &w, &h);
    VLOG_DEBUG("object [%p] x = %d, y = %d, w = %d, h = %d", static_cast<void*>(obj), x, y, w, h);
}

void CBookmarkThumbnailWnd::PrintFocusItemCoordinate(Evas_Object* focusItem) {
    if (!focusItem) {
        VLOG_DEBUG("NULL == m_pFocusItem");
        return;
    }
    Evas_Coord x = 0, y = 0, w = 0, h = 0;
    evas_object_geometry_get(focusItem, &x, &y, &w, &h);
    VLOG_DEBUG("focus item x = %d, y = %d, w = %d, h = %d", x, y, w, h);
}

bool CBookmarkThumbnailWnd::t_Show() {
    VLOG_SYS("show BookmarkThumbnailWnd.");
    evas_object_show(m_pThumbnailImage);
    evas_object_show(m_pWindowLayout);
    evas_object_layer_set(m_pWindowLayout, kWindowLayer);
    evas_object_raise(m_pWindowLayout);
    return true;
}

void CBookmarkThumbnailWnd::t_Hide() {
    VLOG_SYS("hide BookmarkThumbnailWnd,m_pUpdateProgressAlarm: [%p].", static_cast<void*>(m_pUpdateProgressAlarm));
    vantro::DeleteTimer(m_pUpdateProgressAlarm);
    DeleteObject(m_pThumbnailImage);
    DeleteObject(m_pWindowLayout);
}

void CBookmarkThumbnailWnd::t_Destroy() {
    VLOG_SYS("destory BookmarkThumbnailWnd, m_pUpdateProgressAlarm: [%p].", static_cast<void*>(m_pUpdateProgressAlarm));
    vantro::DeleteTimer(m_pUpdateProgressAlarm);
    DeleteObject(m_pThumbnailImage);
    DeleteObject(m_pProgressBar);
    DeleteObject(m_pTypeMarkLabel);
    DeleteObject(m_pTypeTextLabel);
    DeleteObject(m_pTimeLabel);
    DeleteObject(m_pGoButton);
    // The box goes with the layout.
    DeleteObject(m_pWindowLayout);
    m_pTextBox = nullptr;
}
