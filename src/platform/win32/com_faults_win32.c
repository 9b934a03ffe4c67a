/* Start-up faults inside the system's own DirectInput and DirectMusic
 * objects, for the fault names of platform/faults.h. The object's
 * method table is swapped for a copy in which one method is ours; the
 * object itself, and every other method, stay the system's. */
#define WIN32_LEAN_AND_MEAN
#define DIRECTINPUT_VERSION 0x0800
#include <windows.h>
#include <dinput.h>
#include <dmusici.h>

#include "platform/win32/com_faults_win32.h"

typedef HRESULT(STDMETHODCALLTYPE* CreateDeviceMethod)(IDirectInput8A*, REFGUID, LPDIRECTINPUTDEVICE8A*, LPUNKNOWN);
typedef HRESULT(STDMETHODCALLTYPE* EnumDevicesMethod)(IDirectInput8A*, DWORD, LPDIENUMDEVICESCALLBACKA, LPVOID,
                                                      DWORD);

static IDirectInput8AVtbl faulty_input_table;
static CreateDeviceMethod system_create_device;
static EnumDevicesMethod system_enum_devices;
static int keyboard_refused;
static int mouse_refused;
static int controllers_hidden;

static HRESULT STDMETHODCALLTYPE create_device(IDirectInput8A* self, REFGUID guid, LPDIRECTINPUTDEVICE8A* device,
                                               LPUNKNOWN outer) {
    if ((keyboard_refused && IsEqualGUID(guid, &GUID_SysKeyboard)) ||
        (mouse_refused && IsEqualGUID(guid, &GUID_SysMouse))) {
        if (device) *device = NULL;
        return DIERR_DEVICENOTREG;
    }
    return system_create_device(self, guid, device, outer);
}

static HRESULT STDMETHODCALLTYPE enum_devices(IDirectInput8A* self, DWORD device_class,
                                              LPDIENUMDEVICESCALLBACKA callback, LPVOID context, DWORD flags) {
    if (controllers_hidden && device_class == DI8DEVCLASS_GAMECTRL) return callback ? DI_OK : DIERR_INVALIDPARAM;
    return system_enum_devices(self, device_class, callback, context, flags);
}

void refuse_input_devices(void* direct_input, int refuse_keyboard, int refuse_mouse, int hide_controllers) {
    IDirectInput8A* input = (IDirectInput8A*)direct_input;
    if (!input) return;
    keyboard_refused = refuse_keyboard;
    mouse_refused = refuse_mouse;
    controllers_hidden = hide_controllers;
    if (input->lpVtbl == &faulty_input_table) return;
    faulty_input_table = *input->lpVtbl;
    system_create_device = faulty_input_table.CreateDevice;
    system_enum_devices = faulty_input_table.EnumDevices;
    faulty_input_table.CreateDevice = create_device;
    faulty_input_table.EnumDevices = enum_devices;
    input->lpVtbl = &faulty_input_table;
}

static IDirectMusicPerformance8Vtbl faulty_performance_table;

/* Answers as a system without a sound device does: success, and no path.
 * (A plain failure is the simpler case; this one is what the stage must
 * not take for a path.) */
static HRESULT STDMETHODCALLTYPE no_default_audio_path(IDirectMusicPerformance8* self, IDirectMusicAudioPath** path) {
    (void)self;
    if (path) *path = NULL;
    return S_OK;
}

void refuse_default_audio_path(void* performance) {
    IDirectMusicPerformance8* target = (IDirectMusicPerformance8*)performance;
    if (!target || target->lpVtbl == &faulty_performance_table) return;
    faulty_performance_table = *target->lpVtbl;
    faulty_performance_table.GetDefaultAudioPath = no_default_audio_path;
    target->lpVtbl = &faulty_performance_table;
}
