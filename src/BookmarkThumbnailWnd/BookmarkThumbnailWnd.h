// The pop-up that shows the latest bookmark: thumbnail, highlight type,
// time, a progress bar filling in ten one-second steps and a Go button.
#ifndef VANTRO_BOOKMARKTHUMBNAILWND_H
#define VANTRO_BOOKMARKTHUMBNAILWND_H

#include <Elementary.h>

#include "BookmarkThumbnail.h"
#include "WindowBase.h"

class CBookmarkThumbnailWnd : public CWindowBase {
public:
    CBookmarkThumbnailWnd();
    ~CBookmarkThumbnailWnd() override;

    bool SetBookmarkData(stBookmarkThumbnail*& record);
    bool SetTextValue(char* time, long type);
    // bytesPresent: how many of the size bytes the file really had (-1: all).
    bool SetIconImage(char* bytes, int size, bool isAuto, int bytesPresent = -1);
    void m_SetAccessInfo(char const* text);

    static void m_OnBookMarkWndKeyInputCB(void* data, Evas* e, Evas_Object* obj, void* event);
    static Eina_Bool m_OnUpdateAlarmTimeOutCB(void* data);
    static void ButtonMouseInCallback(void* data, Evas* e, Evas_Object* obj, void* event);
    static void ButtonMouseOutCallback(void* data, Evas* e, Evas_Object* obj, void* event);
    static void ButtonMouseUpCallback(void* data, Evas* e, Evas_Object* obj, void* event);

    void PrintPartCoordinate(const char* part);
    void PrintObjectCoordinate(Evas_Object* obj);
    void PrintFocusItemCoordinate(Evas_Object* focusItem);

protected:
    bool t_Create(Evas_Object* parent) override;
    void t_Destroy() override;
    bool t_Show() override;
    void t_Hide() override;

public:
    Evas_Object* m_pWindowLayout;
    Evas_Object* m_pThumbnailImage;
    Evas_Object* m_pProgressBar;
    Evas_Object* m_pTextBox;
    Evas_Object* m_pTypeMarkLabel;
    Evas_Object* m_pTypeTextLabel;
    Evas_Object* m_pTimeLabel;
    Evas_Object* m_pGoButton;
    Ecore_Timer* m_pUpdateProgressAlarm;
    int m_nProgressCount;
};

#endif
