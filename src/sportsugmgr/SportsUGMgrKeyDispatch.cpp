// Routing of the keys the intake handlers pass on: may the gadget use the key
// at all on this source, and which handler decides about it.
#include "PVRKey.h"
#include "SportsUGMgr.h"
#include "SportsUtil.h"
#include "VantroLog.h"

namespace {

// Besides the AV inputs the dispatch serves the tuner and the playback source.
const int kSourceTuner = 0;
const int kSourcePlayback = 29;

bool IsAcceptedSource(int type) {
    return type == kSourceTuner || type == kSourcePlayback || CSportsUtil::IsAVSourceType(type);
}

}  // namespace

int CSportsUGMgr::ProcessHighPrioKeyEvent(int key) {
    VLOG_SYS("here receive High Prio key event [%d]", key);
    if (key == CPVRKey::KEY_BACK_T || key == CPVRKey::KEY_EXIT_T) {
        if (m_IsBookmarkWndShow()) {
            // The pop-up goes when the viewer answers with its own "hide".
            SendResultToTvviwer("hide", "pvrsportsmode");
            return 1;
        }
        VLOG_SYS("thumbnail wnd is not show!");
    } else if (key == CPVRKey::KEY_RETURN_T) {
        if (m_IsBookmarkWndShow()) {
            VLOG_SYS("current thumbnail show, OK pressed, consume this key");
            m_EnterHighlightPlayer(true);
            return 1;
        }
    }
    VLOG_SYS("return this key to tv-viewer");
    return 0;
}

int CSportsUGMgr::ProcessLowPrioKeyEvent(int key) {
    const char* name = CPVRKey::KeyTypeToKeyName(static_cast<CPVRKey::ERecorderKeyType>(key));
    VLOG_SYS("here receive Low Prio key event [%s]", name ? name : "(null)");

    int type = -1;
    if (CSportsUtil::GetSourceType(type) == -1) {
        VLOG_SYS("get current source type failed!!, send it to tvviewer");
        return 0;
    }
    if (!IsAcceptedSource(type)) {
        VLOG_SYS("current source is not SOURCE_TYPE_TV or SOURCE_TYPE_PLAYBACK or SOURCE_TYPE_AV, send it to tvviewer");
        return 0;
    }
    // On AV inputs the keys only matter in sports mode and, unless something
    // records, only the record key may start something.
    if (CSportsUtil::IsAVSourceType(type)) {
        if (!CSportsUtil::IsSportsMode()) {
            VLOG_SYS("Current AV source, sport mode off, send key to tvviewer");
            return 0;
        }
        if (!CSportsUtil::IsCurrentChannelRecording()) {
            if (key != CPVRKey::KEY_RECORD_T) {
                VLOG_SYS("Current AV source, sport on & no recording, send key to tv-viewer.");
                return 0;
            }
            if (!CSportsUtil::IsSupportHighlightInAV()) {
                VLOG_SYS("Current AV source, not support highlight, send rec key to tv-viewer.");
                return 0;
            }
        }
    }
    if (!CSportsUtil::IsSupportPVR() || CSportsUtil::IsExistConflictApp()) {
        VLOG_SYS("do not support PVR releated key, return key to tvviewer.");
        return 0;
    }
    // Exactly 1 for a used key: the intake consumes only on 1.
    if (CPVRKey::IsRecorderRecognitionKey(key)) {
        if (m_ProcessRecordRecognitionKey(key) != 0) {
            VLOG_SYS("sport-ug process Record Recognition key.");
            return 1;
        }
        VLOG_SYS("not process Record Recognition key, return key to tv-viewer.");
        return 0;
    }
    if (CPVRKey::IsUgRecognitionKey(key)) {
        if (m_ProcessUgRecognitionKey(key) != 0) {
            VLOG_SYS("sport-ug process Ug Recognition key.");
            return 1;
        }
        VLOG_SYS("not process Ug Recognition key, return key to tv-viewer.");
        return 0;
    }
    return 0;
}
