// Seam: recorder keys and launches land with the key decisions.
#include "SportsUGMgr.h"

int CSportsUGMgr::m_ProcessRecordRecognitionKey(int) { return 0; }
void CSportsUGMgr::m_LaunchRecorderApp(int, char*) {}
void CSportsUGMgr::m_LaunchRecorderApp(char const*, char const*) {}
void CSportsUGMgr::t_SendCmdToRecordApp(char const*, char const*) {}
void CSportsUGMgr::m_LaunchSportsModeApp(char const*, char const*) {}
int CSportsUGMgr::m_ShowNAPopup() { return 0; }
