// The remote-control keys the gadget knows, by name and by type.
#ifndef VANTRO_PVRKEY_H
#define VANTRO_PVRKEY_H

class CPVRKey {
public:
    enum ERecorderKeyType {
        KEY_UNKNOWN_T = -1,
        KEY_RECORD_T = 0,
        KEY_PAUSE_T = 1,
        KEY_BACK_T = 2,
        KEY_EXIT_T = 3,
        KEY_INFO_T = 4,
        KEY_PLAY_T = 5,
        KEY_STOP_T = 6,
        KEY_NEXT_T = 7,
        KEY_REWIND_T = 8,
        KEY_RETURN_T = 9,
        KEY_UP_T = 12,
        KEY_DOWN_T = 13,
        KEY_LEFT_T = 14,
        KEY_RIGHT_T = 15,
        KEY_VOLUME_UP_T = 16,
        KEY_VOLUME_DOWN_T = 17,
        KEY_CHANNEL_DOWN_T = 18,
        KEY_CHANNEL_UP_T = 19,
        KEY_RED_T = 20,
        KEY_GREEN_T = 21,
        KEY_YELLOW_T = 22,
        KEY_BLUE_T = 23,
        KEY_1_T = 24,
        KEY_2_T = 25,
        KEY_3_T = 26,
        KEY_4_T = 27,
        KEY_5_T = 28,
        KEY_6_T = 29,
        KEY_7_T = 30,
        KEY_8_T = 31,
        KEY_9_T = 32,
        KEY_0_T = 33,
    };

    CPVRKey() {}
    virtual ~CPVRKey() {}

    static ERecorderKeyType KeyNameToKeyType(const char* name);
    static const char* KeyTypeToKeyName(ERecorderKeyType type);

    // Red, green, yellow, OK, back and exit.
    static bool IsUgRecognitionKey(const char* name);
    static bool IsUgRecognitionKey(int type);
    // Record, pause, play, stop, next, rewind, left and right.
    static bool IsRecorderRecognitionKey(const char* name);
    static bool IsRecorderRecognitionKey(int type);
    // The six transport keys.
    static bool IsShieldKeys(char* name);
};

#endif
