#include "PVRKey.h"

#include <cstring>

#include "VantroLog.h"

namespace {

struct KeyEntry {
    CPVRKey::ERecorderKeyType type;
    const char* name;
};

// clang-format off
const KeyEntry kKeys[] = {
    {CPVRKey::KEY_RECORD_T, "XF86AudioRecord"},
    {CPVRKey::KEY_PAUSE_T, "XF86AudioPause"},
    {CPVRKey::KEY_BACK_T, "XF86Back"},
    {CPVRKey::KEY_EXIT_T, "XF86Exit"},
    {CPVRKey::KEY_INFO_T, "XF86Info"},
    {CPVRKey::KEY_PLAY_T, "XF86AudioPlay"},
    {CPVRKey::KEY_STOP_T, "XF86AudioStop"},
    {CPVRKey::KEY_NEXT_T, "XF86AudioNext"},
    {CPVRKey::KEY_REWIND_T, "XF86AudioRewind"},
    {CPVRKey::KEY_RETURN_T, "Return"},
    {CPVRKey::KEY_UP_T, "Up"},
    {CPVRKey::KEY_DOWN_T, "Down"},
    {CPVRKey::KEY_LEFT_T, "Left"},
    {CPVRKey::KEY_RIGHT_T, "Right"},
    {CPVRKey::KEY_VOLUME_UP_T, "XF86AudioRaiseVolume"},
    {CPVRKey::KEY_VOLUME_DOWN_T, "XF86AudioLowerVolume"},
    {CPVRKey::KEY_CHANNEL_DOWN_T, "XF86LowerChannel"},
    {CPVRKey::KEY_CHANNEL_UP_T, "XF86RaiseChannel"},
    {CPVRKey::KEY_RED_T, "XF86Red"},
    {CPVRKey::KEY_GREEN_T, "XF86Green"},
    {CPVRKey::KEY_YELLOW_T, "XF86Yellow"},
    {CPVRKey::KEY_BLUE_T, "XF86Blue"},
    {CPVRKey::KEY_1_T, "1"},
    {CPVRKey::KEY_2_T, "2"},
    {CPVRKey::KEY_3_T, "3"},
    {CPVRKey::KEY_4_T, "4"},
    {CPVRKey::KEY_5_T, "5"},
    {CPVRKey::KEY_6_T, "6"},
    {CPVRKey::KEY_7_T, "7"},
    {CPVRKey::KEY_8_T, "8"},
    {CPVRKey::KEY_9_T, "9"},
    {CPVRKey::KEY_0_T, "0"},
};
// clang-format on

// clang-format off
const CPVRKey::ERecorderKeyType kUgKeys[] = {
    CPVRKey::KEY_RED_T, CPVRKey::KEY_GREEN_T, CPVRKey::KEY_YELLOW_T,
    CPVRKey::KEY_RETURN_T, CPVRKey::KEY_BACK_T, CPVRKey::KEY_EXIT_T,
};
// clang-format on

// clang-format off
const CPVRKey::ERecorderKeyType kRecorderKeys[] = {
    CPVRKey::KEY_LEFT_T, CPVRKey::KEY_RIGHT_T, CPVRKey::KEY_RECORD_T, CPVRKey::KEY_PLAY_T,
    CPVRKey::KEY_PAUSE_T, CPVRKey::KEY_STOP_T, CPVRKey::KEY_REWIND_T, CPVRKey::KEY_NEXT_T,
};
// clang-format on

// clang-format off
const CPVRKey::ERecorderKeyType kShieldKeys[] = {
    CPVRKey::KEY_REWIND_T, CPVRKey::KEY_PAUSE_T, CPVRKey::KEY_NEXT_T,
    CPVRKey::KEY_RECORD_T, CPVRKey::KEY_PLAY_T, CPVRKey::KEY_STOP_T,
};
// clang-format on

// Whole-string, case-sensitive.
bool SameName(const char* name, const char* tableName) { return std::strcmp(name, tableName) == 0; }

template <std::size_t N>
bool InClass(int type, const CPVRKey::ERecorderKeyType (&keys)[N]) {
    for (CPVRKey::ERecorderKeyType key : keys)
        if (key == type) return true;
    return false;
}

template <std::size_t N>
bool NameInClass(const char* name, const CPVRKey::ERecorderKeyType (&keys)[N]) {
    if (!name) return false;
    for (CPVRKey::ERecorderKeyType key : keys)
        if (SameName(name, CPVRKey::KeyTypeToKeyName(key))) return true;
    return false;
}

}  // namespace

CPVRKey::ERecorderKeyType CPVRKey::KeyNameToKeyType(const char* name) {
    if (!name) return KEY_UNKNOWN_T;
    for (const KeyEntry& entry : kKeys)
        if (SameName(name, entry.name)) return entry.type;
    return KEY_UNKNOWN_T;
}

const char* CPVRKey::KeyTypeToKeyName(ERecorderKeyType type) {
    for (const KeyEntry& entry : kKeys)
        if (entry.type == type) return entry.name;
    return nullptr;
}

bool CPVRKey::IsUgRecognitionKey(const char* name) { return NameInClass(name, kUgKeys); }

bool CPVRKey::IsUgRecognitionKey(int type) { return InClass(type, kUgKeys); }

bool CPVRKey::IsRecorderRecognitionKey(const char* name) { return NameInClass(name, kRecorderKeys); }

bool CPVRKey::IsRecorderRecognitionKey(int type) { return InClass(type, kRecorderKeys); }

bool CPVRKey::IsShieldKeys(char* name) {
    if (NameInClass(name, kShieldKeys)) return true;
    VLOG_WARN("[%s] is not shield key.", name ? name : "(null)");
    return false;
}
