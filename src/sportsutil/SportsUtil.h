// Stateless queries over the platform: what the TV and the PVR are doing now.
// Every query asks afresh; nothing is cached.
#ifndef VANTRO_SPORTSUTIL_H
#define VANTRO_SPORTSUTIL_H

#include <sys/time.h>

#include <string>

#include "BookmarkThumbnail.h"

class CSportsUtil {
public:
    // ---- TV and recording state ----
    static bool IsSportsMode();
    static bool IsPXVStateON();
    static bool IsPIPOn();
    static bool Is3DEffectOn();
    static bool IsWatchLiveTV();
    static bool IsHighlightPlayerShowing();
    static bool IsSupportPVR();
    static int GetCurrentRecordingNum();
    static bool IsCurrentChannelTimeshifting();
    static bool IsRecorderPauseSuccess();
    static bool PlayPause();
    static bool PlayResume();
    static bool GetCurrentRecordingURI(std::string& uri);
    // -1 when the source cannot be determined; otherwise type holds the source.
    static int GetSourceType(int& type);
    static bool IsAVSource();
    // The AV inputs among the source types: composite/component (1-3) and AV playback (36).
    static bool IsAVSourceType(int type) { return type == 1 || type == 2 || type == 3 || type == 36; }
    static bool GetCurrentServiceID(unsigned long long* serviceId);
    static bool IsSupportHighlightInAV();
    static bool IsSupportATVRecording();
    static bool IsParentLocked();
    static bool IsCurrentChannelRecording();
    // Writes exactly nine bytes: HH:MM:SS and a zero byte.
    static void FormatLongToTime(long seconds, char* text);
    // end minus start.
    static timeval GetTimeDifference(timeval start, timeval end);

    // ---- bookmarks ----
    static bool GetLatestBookmark(const std::string& uri, stBookmarkThumbnail*& record);

    // ---- eligibility and conflicts ----
    static bool IsAbleToSportFunction();
    static bool IsAudioChannel();
    static bool IsAnalogChannel();
    static bool IsVirtualChannel();
    static bool IsExistConflictApp();
    static unsigned long long GetLiveServiceId();
    static bool IsAnalysisPipelineUsing();
    static bool IsAnalysisActive();
    static bool IsAnalysisConnected(unsigned long long serviceId);
    static long long GetRecordingTime(unsigned long long serviceId);

    // The id that stands for an AV input with no broadcast service behind it.
    static const unsigned long long kAVServiceId = 4294967294ULL;
};

#endif
