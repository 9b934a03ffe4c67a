// The part of DirectInput 8 that start-up calls: the input system, its
// devices, their data formats, cooperative levels and properties. On
// Windows these are the system's own; elsewhere platform/sdl implements
// them, with the same signatures, over the window system's keyboard and
// pointer and SDL's game controllers.
#pragma once

#include "platform/win_types.h"

#if defined(_WIN32)

#include <dinput.h>

// Start-up faults can be named for tests (platform/faults.h); on
// Windows they sit between the game and the real input system
// (platform/win32/faults_win32.cpp), which is otherwise handed through.
HRESULT WINAPI faultable_DirectInput8Create(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* out,
                                            LPUNKNOWN outer);
#define DirectInput8Create faultable_DirectInput8Create

#else

#include <cstdint>

extern const IID IID_IDirectInput8A;
extern const GUID GUID_SysKeyboard;
extern const GUID GUID_SysMouse;

struct DIOBJECTDATAFORMAT;
struct DIDATAFORMAT {
    DWORD dwSize;
    DWORD dwObjSize;
    DWORD dwFlags;
    DWORD dwDataSize;
    DWORD dwNumObjs;
    DIOBJECTDATAFORMAT* rgodf;
};
using LPCDIDATAFORMAT = const DIDATAFORMAT*;
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const DIDATAFORMAT c_dfDIMouse2;
extern const DIDATAFORMAT c_dfDIJoystick;

constexpr DWORD DISCL_EXCLUSIVE = 0x1;
constexpr DWORD DISCL_NONEXCLUSIVE = 0x2;
constexpr DWORD DISCL_FOREGROUND = 0x4;
constexpr DWORD DISCL_BACKGROUND = 0x8;

constexpr DWORD DI8DEVCLASS_GAMECTRL = 4;
constexpr DWORD DIEDFL_ATTACHEDONLY = 0x1;
constexpr DWORD DIDFT_AXIS = 0x3;
constexpr DWORD DIPH_DEVICE = 0;
constexpr DWORD DIPH_BYID = 2;
constexpr BOOL DIENUM_STOP = 0;
constexpr BOOL DIENUM_CONTINUE = 1;
constexpr DWORD DIPROPAXISMODE_ABS = 0;
constexpr DWORD DIPROPAXISMODE_REL = 1;

constexpr HRESULT DI_OK = 0;
constexpr HRESULT DIERR_NOTINITIALIZED = static_cast<HRESULT>(0x80070015u);
constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT DIERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_ACQUIRED = static_cast<HRESULT>(0x800700AAu);

// The properties the game sets, passed where a GUID reference goes. (Windows
// names them by small numbers cast to such a reference; here they are
// objects, so that no reference is bound to a made-up address.)
extern const GUID DIPROP_BUFFERSIZE;
extern const GUID DIPROP_AXISMODE;
extern const GUID DIPROP_RANGE;

struct DIPROPHEADER {
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
};
using LPCDIPROPHEADER = const DIPROPHEADER*;
struct DIPROPDWORD {
    DIPROPHEADER diph;
    DWORD dwData;
};
struct DIPROPRANGE {
    DIPROPHEADER diph;
    LONG lMin;
    LONG lMax;
};
static_assert(sizeof(DIPROPDWORD) == 20 && sizeof(DIPROPRANGE) == 24);

struct DIDEVCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwDevType;
    DWORD dwAxes;
    DWORD dwButtons;
    DWORD dwPOVs;
    DWORD dwFFSamplePeriod;
    DWORD dwFFMinTimeResolution;
    DWORD dwFirmwareRevision;
    DWORD dwHardwareRevision;
    DWORD dwFFDriverVersion;
};
using LPDIDEVCAPS = DIDEVCAPS*;
static_assert(sizeof(DIDEVCAPS) == 44);

struct DIDEVICEINSTANCEA {
    DWORD dwSize;
    GUID guidInstance;
    GUID guidProduct;
    DWORD dwDevType;
    CHAR tszInstanceName[MAX_PATH];
    CHAR tszProductName[MAX_PATH];
    GUID guidFFDriver;
    WORD wUsagePage;
    WORD wUsage;
};
using LPCDIDEVICEINSTANCEA = const DIDEVICEINSTANCEA*;

struct DIDEVICEOBJECTINSTANCEA {
    DWORD dwSize;
    GUID guidType;
    DWORD dwOfs;
    DWORD dwType;  // the object's type identifier, for DIPH_BYID
    DWORD dwFlags;
    CHAR tszName[MAX_PATH];
};
using LPCDIDEVICEOBJECTINSTANCEA = const DIDEVICEOBJECTINSTANCEA*;

using LPDIENUMDEVICESCALLBACKA = BOOL(CALLBACK*)(LPCDIDEVICEINSTANCEA instance, LPVOID context);
using LPDIENUMDEVICEOBJECTSCALLBACKA = BOOL(CALLBACK*)(LPCDIDEVICEOBJECTINSTANCEA object, LPVOID context);

class IDirectInputDevice8A : public IUnknown {
public:
    virtual HRESULT GetCapabilities(LPDIDEVCAPS caps) = 0;
    virtual HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID context, DWORD flags) = 0;
    virtual HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) = 0;
    virtual HRESULT Acquire() = 0;
    virtual HRESULT Unacquire() = 0;
    virtual HRESULT SetDataFormat(LPCDIDATAFORMAT format) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
};
using LPDIRECTINPUTDEVICE8A = IDirectInputDevice8A*;

class IDirectInput8A : public IUnknown {
public:
    virtual HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN outer) = 0;
    virtual HRESULT EnumDevices(DWORD device_class, LPDIENUMDEVICESCALLBACKA callback, LPVOID context,
                                DWORD flags) = 0;
};

HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN outer);

#endif
