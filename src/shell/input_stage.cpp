// Start-up of the input devices: the keyboard and the mouse are required,
// a game controller is optional. The devices are acquired once and never
// read; every input the game acts on comes from window messages.
#include "platform/direct_input.h"
#include "platform/release.h"
#include "shell/input_stage.h"
#include "shell/main_window.h"

IDirectInput8A* direct_input = nullptr;
IDirectInputDevice8A* keyboard_device = nullptr;
IDirectInputDevice8A* controller_device = nullptr;
IDirectInputDevice8A* mouse_device = nullptr;

namespace {

constexpr HRESULT kStageSucceeded = 1;

DIPROPDWORD dword_property(DWORD value) {
    DIPROPDWORD p{};
    p.diph.dwSize = sizeof(DIPROPDWORD);
    p.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    p.diph.dwObj = 0;
    p.diph.dwHow = DIPH_DEVICE;
    p.dwData = value;
    return p;
}

BOOL CALLBACK on_controller(LPCDIDEVICEINSTANCEA instance, LPVOID) {
    if (FAILED(direct_input->CreateDevice(instance->guidInstance, &controller_device, nullptr)))
        return DIENUM_CONTINUE;
    DIDEVCAPS caps{};
    caps.dwSize = sizeof(DIDEVCAPS);
    if (SUCCEEDED(controller_device->GetCapabilities(&caps))) return DIENUM_STOP;
    controller_device->Release();
    controller_device = nullptr;
    return DIENUM_CONTINUE;
}

BOOL CALLBACK on_axis(LPCDIDEVICEOBJECTINSTANCEA object, LPVOID) {
    DIPROPRANGE range{};
    range.diph.dwSize = sizeof(DIPROPRANGE);
    range.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    range.diph.dwObj = object->dwType;
    range.diph.dwHow = DIPH_BYID;
    range.lMin = -1000;
    range.lMax = 1000;
    return FAILED(controller_device->SetProperty(DIPROP_RANGE, &range.diph)) ? DIENUM_STOP : DIENUM_CONTINUE;
}

void unacquire_and_release(IDirectInputDevice8A*& device) {
    if (device) {
        device->Unacquire();
        release(device);
    }
}

}  // namespace

HRESULT init_keyboard(HINSTANCE instance) {
    if (FAILED(DirectInput8Create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                  reinterpret_cast<LPVOID*>(&direct_input), nullptr)))
        return E_FAIL;
    if (FAILED(direct_input->CreateDevice(GUID_SysKeyboard, &keyboard_device, nullptr))) return E_FAIL;
    if (FAILED(keyboard_device->SetDataFormat(&c_dfDIKeyboard))) return E_FAIL;
    if (FAILED(keyboard_device->SetCooperativeLevel(main_window, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE)))
        return E_FAIL;
    keyboard_device->Acquire();
    return kStageSucceeded;
}

HRESULT init_game_controller(HINSTANCE) {
    if (!direct_input) return E_FAIL;
    if (FAILED(direct_input->EnumDevices(DI8DEVCLASS_GAMECTRL, on_controller, nullptr, DIEDFL_ATTACHEDONLY)) ||
        !controller_device)
        return E_FAIL;
    if (FAILED(controller_device->SetDataFormat(&c_dfDIJoystick))) return E_FAIL;
    if (FAILED(controller_device->SetCooperativeLevel(main_window, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE)))
        return E_FAIL;
    if (FAILED(controller_device->EnumObjects(on_axis, nullptr, DIDFT_AXIS))) return E_FAIL;
    DIPROPDWORD mode = dword_property(DIPROPAXISMODE_ABS);
    if (FAILED(controller_device->SetProperty(DIPROP_AXISMODE, &mode.diph))) return E_FAIL;
    controller_device->Acquire();
    return kStageSucceeded;
}

HRESULT init_mouse(HINSTANCE) {
    if (!direct_input) return E_FAIL;
    if (FAILED(direct_input->CreateDevice(GUID_SysMouse, &mouse_device, nullptr))) return E_FAIL;
    if (FAILED(mouse_device->SetDataFormat(&c_dfDIMouse2))) return E_FAIL;
    if (FAILED(mouse_device->SetCooperativeLevel(main_window, DISCL_BACKGROUND | DISCL_NONEXCLUSIVE)))
        return E_FAIL;
    DIPROPDWORD mode = dword_property(DIPROPAXISMODE_REL);
    if (FAILED(mouse_device->SetProperty(DIPROP_AXISMODE, &mode.diph))) return E_FAIL;
    DIPROPDWORD buffer = dword_property(100);
    if (FAILED(mouse_device->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph))) return E_FAIL;
    mouse_device->Acquire();
    return kStageSucceeded;
}

void release_input() {
    unacquire_and_release(controller_device);
    unacquire_and_release(keyboard_device);
    unacquire_and_release(mouse_device);
    release(direct_input);
}
