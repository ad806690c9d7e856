/* PVR service: the recorder back end. A service id is the unsigned 64-bit id of a broadcast service. */
#ifndef VANTRO_PLATFORM_SVC_PVR_H
#define VANTRO_PLATFORM_SVC_PVR_H

#ifdef __cplusplus
extern "C" {
#endif

enum {
    PS_CALL_METHOD_SUCCESS = 0,
    PS_CALL_METHOD_FAIL = -1,
    PS_CALL_METHOD_FAIL_PROGRESS = -2,
};

enum {
    PS_RECORD_STATE_STOP = 0,
};

enum {
    PS_PLAY_STATE_PAUSE = 2,
};

/* Method codes of asynchronous results. */
enum {
    PS_RESULT_METHOD_PLAY_PAUSE = 1,
    PS_RESULT_METHOD_PLAY_RESUME = 3,
};

#define PS_RECORDING_URI_SIZE 256

/* Result of an asynchronous request. The service may hand it over unaligned. */
typedef struct {
    int method;
    int result;
    unsigned long long service_id;
    char detail[64];
} ps_result_pvr;

typedef void (*svc_pvr_result_pvr_cb)(ps_result_pvr* result, void* user_data);

int svc_pvr_service_init(void);
int svc_pvr_register_result_pvr_point_cb(svc_pvr_result_pvr_cb callback, void* user_data);
int svc_pvr_unregister_result_pvr_point_cb(svc_pvr_result_pvr_cb callback);

int svc_pvr_is_sports_mode(int* state);
int svc_pvr_get_current_livetv_service_id(unsigned long long* service_id);
int svc_pvr_get_record_state_by_service_id(unsigned long long service_id, int* state, int* is_timeshift);
int svc_pvr_is_past_record_complete(unsigned long long service_id, int* complete);
int svc_pvr_is_timeshifting(unsigned long long service_id, int* timeshifting);
int svc_pvr_get_play_state_by_service_id(unsigned long long service_id, int* state);
int svc_pvr_play_pause_by_service_id(unsigned long long service_id);
int svc_pvr_play_resume_by_service_id(unsigned long long service_id);
/* uri points to PS_RECORDING_URI_SIZE bytes. */
int svc_pvr_get_recording_uri_by_service_id(unsigned long long service_id, char* uri);
int svc_pvr_get_share_data(int index, long long* value);
int svc_pvr_get_highlight_player_flag(int* flag);
int svc_pvr_get_recording_service_id_list(unsigned long long* list, int capacity, int* count);
int svc_pvr_get_current_recording_count(int* count);
int svc_pvr_get_progress_by_service_id(unsigned long long service_id, int* mode, long long* play_time,
                                       long long* record_time);
int svc_pvr_is_analog_channel(unsigned long long service_id, int* analog);
int svc_pvr_is_audio_only_channel(unsigned long long service_id, int* audio_only);
int svc_pvr_is_highlight_player_available(int* available);
int svc_pvr_set_bookmark(const char* uri, int time);

#ifdef __cplusplus
}
#endif

#endif
