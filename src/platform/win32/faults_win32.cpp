// The start-up faults of platform/faults.h on Windows, named the same
// as on every platform (POKOMARU_FAULT=keyboard,mouse,...). The game's calls
// that make the input system and the sound objects come through here; with
// no fault named they are the system's calls, untouched.
#include "platform/direct_input.h"
#include "platform/direct_music.h"
#include "platform/faults.h"
#include "platform/win32/com_faults_win32.h"

#undef DirectInput8Create
#undef CoCreateInstance

HRESULT WINAPI faultable_DirectInput8Create(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* out,
                                            LPUNKNOWN outer) {
    HRESULT result = DirectInput8Create(instance, version, iid, out, outer);
    if (FAILED(result) || !out || !*out || !IsEqualIID(iid, IID_IDirectInput8A)) return result;
    bool keyboard = fault_injected(Fault::Keyboard);
    bool mouse = fault_injected(Fault::Mouse);
    bool controllers = fault_injected(Fault::Controller);
    if (keyboard || mouse || controllers) refuse_input_devices(*out, keyboard, mouse, controllers);
    return result;
}

HRESULT WINAPI faultable_CoCreateInstance(REFCLSID class_id, LPUNKNOWN outer, DWORD context, REFIID iid,
                                          LPVOID* out) {
    HRESULT result = CoCreateInstance(class_id, outer, context, iid, out);
    if (FAILED(result) || !out || !*out) return result;
    if (IsEqualCLSID(class_id, CLSID_DirectMusicPerformance) && IsEqualIID(iid, IID_IDirectMusicPerformance8) &&
        fault_injected(Fault::AudioPath))
        refuse_default_audio_path(*out);
    return result;
}
