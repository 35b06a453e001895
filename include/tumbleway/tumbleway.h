// The interface between the Tumbleway engine (libTumbleway096.so) and its hosts:
// the records that cross it and the 47 exported xll_ functions. The builder, the
// headless runner and the export tests include this header and nothing else of the
// engine. Both sides are built by the same compiler, so the std::list members of
// LSession_t have one layout.
#pragma once

#include <cstdint>
#include <list>

#include "d3dx9/d3dx9math.h"
#include "win32/mfc.h"
#include "win32/win32.h"

class IDirect3DDevice9;

#define TW_EXPORT extern "C" __attribute__((visibility("default")))

// Every file, mesh and sound name travels in a zero-terminated field of this size.
constexpr int kNameFieldSize = 128;

// A file the builder opened: full path, file name with extension, extension without dot.
struct LF_t {
    char path[kNameFieldSize];
    char name[kNameFieldSize];
    char ext[kNameFieldSize];
};

// One point of a course point list. Dotted points carry view pixels in x and y;
// calculated points carry the ground position (x, z), a height y and an incline.
struct LPoint_t {
    std::int32_t index;
    float x;
    float y;
    float z;
    float pitch;
    bool selected;
};

struct SessionBitmap {
    std::int32_t id;
    char name[kNameFieldSize];
    float x;
    float y;
    float z;
};

struct SessionXfile {
    std::int32_t id;
    std::uint8_t flag;
    float x;
    float y;
    float z;
    float yaw; // half-turns
    float radius;
    char name[kNameFieldSize];
};

struct SessionSound {
    std::int32_t id;
    // Two words that travel with a sound unchanged; the engine never gives them meaning.
    std::int32_t carried[2];
    std::uint8_t flag;
    char name[kNameFieldSize];
    HTREEITEM item;
};

// x-file2 "0" marks a movement relation; anything else names the second mesh of a
// collision relation.
struct SessionRelation {
    char xfile1[kNameFieldSize];
    char xfile2[kNameFieldSize];
    char wavfile[kNameFieldSize];
};

// A flat copy of one course that crosses between the engine and its host.
struct LSession_t {
    std::int32_t number = 0;
    std::uint8_t flag = 0;
    std::list<LPoint_t> dottedPoints;
    std::list<LPoint_t> dottedTrace;
    std::list<LPoint_t> calculatedPoints;
    std::uint8_t built = 0;
    std::list<SessionBitmap> bitmaps;
    std::list<SessionXfile> meshes;
    std::list<SessionSound> sounds;
    std::list<SessionRelation> relations;
    HTREEITEM item = nullptr;
};

// Custom window messages of the builder's adjustment dialogs.
constexpr UINT WM_MOD_POINT = 0x8001;
constexpr UINT WM_MOD_XFILE = 0x8002;

// Lifecycle and frame.
TW_EXPORT void xll_CAppForm();
TW_EXPORT void xll_OnInitialUpdate(unsigned long width, unsigned long height, HWND window);
TW_EXPORT long xll_OneTimeSceneInit(HWND window);
TW_EXPORT long xll_InitDeviceObjects(IDirect3DDevice9* device);
TW_EXPORT long xll_RestoreDeviceObjects();
TW_EXPORT long xll_FrameMove();
TW_EXPORT long xll_Render();
TW_EXPORT long xll_InvalidateDeviceObjects();
TW_EXPORT long xll_DeleteDeviceObjects();
TW_EXPORT long xll_RenderText();
TW_EXPORT long xll_RenderTextPlay();
TW_EXPORT long xll_RenderTextEdit();

// Input and mode.
TW_EXPORT void xll_UpdateInputAngle(float value);
TW_EXPORT void xll_UpdateInputMove(float value);
TW_EXPORT void xll_UpdateInputAnglePlay(float value);
TW_EXPORT void xll_UpdateInputMovePlay(float value);
TW_EXPORT void xll_UpdateInputRL(float value);
TW_EXPORT void xll_UpdateInputUD(float value);
TW_EXPORT void xll_OnSelchangeTab(unsigned int tab);
TW_EXPORT void xll_OnButtonScanCourse();

// Mouse, picking and messages.
TW_EXPORT void xll_OnLButtonDown(unsigned int flags, POINT point);
TW_EXPORT void xll_OnMouseMove(unsigned int flags, POINT point);
TW_EXPORT void xll_OnLButtonUp(unsigned int flags, POINT point);
TW_EXPORT bool xll_app_select_object(POINT point, POINT size, D3DXVECTOR3* direction,
                                     D3DXVECTOR3* origin);
TW_EXPORT bool xll_app_check_selected_point(POINT point);
TW_EXPORT int xll_WindowProc_WM_MOD_POINT(unsigned int message, unsigned int wParam, long lParam);
TW_EXPORT int xll_WindowProc_WM_MOD_XFILE(unsigned int message, unsigned int wParam, long lParam);
TW_EXPORT void xll_OnRButtonDown(unsigned int flags, POINT point);
TW_EXPORT void xll_OnUpdate(CView* sender, long hint, CObject* hintObject);

// Library lists, placing and courses.
TW_EXPORT void xll_ui_push_xfile(LF_t* file, HTREEITEM* item);
TW_EXPORT void xll_ui_push_bmp(LF_t* file, HTREEITEM* item);
TW_EXPORT void xll_ui_push_wav(LF_t* file, HTREEITEM* item);
TW_EXPORT void xll_setListXfile(HTREEITEM item);
TW_EXPORT void xll_setListBmp(HTREEITEM item);
TW_EXPORT void xll_setListSound(HTREEITEM item);
TW_EXPORT void xll_setListCourse(HTREEITEM item);
TW_EXPORT void xll_OnAssign();
TW_EXPORT long xll_OnButtonCreateCourse(HTREEITEM item);
TW_EXPORT void xll_OnButtonClearCourse();

// Sound relations.
TW_EXPORT void xll_OnButtonSoundPlay();
TW_EXPORT void xll_OnButtonSoundAssign_Move();
TW_EXPORT void xll_OnButtonSoundAssign_Collision();
TW_EXPORT void xll_OnButtonSoundRelease_Move();
TW_EXPORT void xll_OnButtonSoundRelease_Collision();

// Sessions.
TW_EXPORT void xll_app_get_Session_Iterator(LSession_t* session);
TW_EXPORT void xll_app_delete_Session_Iterator(LSession_t* session);
TW_EXPORT long xll_ui_restore_session(LSession_t* session, int* courseNumber);
