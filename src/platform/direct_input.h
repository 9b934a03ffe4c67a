// The part of DirectInput 8 that start-up calls: the input system, its
// devices, their data formats, cooperative levels and properties. On
// Windows these are the system's own; platform/sdl implements them over the
// window system's keyboard and pointer and SDL's game controllers.
#pragma once

#include "platform/win_types.h"

#if defined(_WIN32)
#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>
#else

#include <cstdint>

constexpr DWORD DIRECTINPUT_VERSION = 0x0800;

struct GUID {
    std::uint32_t data1;
    std::uint16_t data2, data3;
    std::uint8_t data4[8];
};
inline bool operator==(const GUID& a, const GUID& b) {
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.data4[i] != b.data4[i]) return false;
    return true;
}

extern const GUID IID_IDirectInput8A;
extern const GUID GUID_SysKeyboard;
extern const GUID GUID_SysMouse;

// Data formats, named by the constant the game passes.
enum DIDATAFORMAT_ID : std::uint32_t { c_dfDIKeyboard = 1, c_dfDIMouse2 = 2, c_dfDIJoystick = 3 };

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

enum DIPROP_ID : std::uint32_t { DIPROP_BUFFERSIZE = 1, DIPROP_AXISMODE = 2, DIPROP_RANGE = 4 };

struct DIPROPHEADER {
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
};
struct DIPROPDWORD {
    DIPROPHEADER diph;
    DWORD dwData;
};
struct DIPROPRANGE {
    DIPROPHEADER diph;
    std::int32_t lMin;
    std::int32_t lMax;
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
static_assert(sizeof(DIDEVCAPS) == 44);

struct DIDEVICEINSTANCEA {
    GUID guidInstance;
    GUID guidProduct;
    DWORD dwDevType;
    char tszInstanceName[260];
    char tszProductName[260];
};

struct DIDEVICEOBJECTINSTANCEA {
    DWORD dwType;  // the object's type identifier, for DIPH_BYID
    char tszName[260];
};

using LPDIENUMDEVICESCALLBACKA = BOOL (*)(const DIDEVICEINSTANCEA* instance, void* context);
using LPDIENUMDEVICEOBJECTSCALLBACKA = BOOL (*)(const DIDEVICEOBJECTINSTANCEA* object, void* context);

class IDirectInputDevice8A {
public:
    virtual HRESULT SetDataFormat(DIDATAFORMAT_ID format) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT GetCapabilities(DIDEVCAPS* caps) = 0;
    virtual HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, void* context, DWORD flags) = 0;
    virtual HRESULT SetProperty(DIPROP_ID property, const DIPROPHEADER* header) = 0;
    virtual HRESULT Acquire() = 0;
    virtual HRESULT Unacquire() = 0;
    virtual UINT Release() = 0;

protected:
    virtual ~IDirectInputDevice8A() = default;
};

class IDirectInput8A {
public:
    virtual HRESULT CreateDevice(const GUID& guid, IDirectInputDevice8A** device, void* outer) = 0;
    virtual HRESULT EnumDevices(DWORD device_class, LPDIENUMDEVICESCALLBACKA callback, void* context,
                                DWORD flags) = 0;
    virtual UINT Release() = 0;

protected:
    virtual ~IDirectInput8A() = default;
};

HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, const GUID& iid, void** out, void* outer);

#endif
