// The input system in the browser: a page always has a keyboard and a
// pointer (a finger counts as one), and no game controller is offered.
// Nothing here ever reads a device; the game's input comes from the page's
// events as window messages.
#include "platform/direct_input.h"
#include "platform/test_hooks.h"
#include "platform/hosted/com_object.h"

const GUID IID_IDirectInput8A = {0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_SysMouse = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID DIPROP_BUFFERSIZE = {1, 0, 0, {}};
const GUID DIPROP_AXISMODE = {2, 0, 0, {}};
const GUID DIPROP_RANGE = {4, 0, 0, {}};
const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), 16, 2, 256, 0, nullptr};
const DIDATAFORMAT c_dfDIMouse2 = {sizeof(DIDATAFORMAT), 16, 2, 20, 0, nullptr};
const DIDATAFORMAT c_dfDIJoystick = {sizeof(DIDATAFORMAT), 16, 1, 80, 0, nullptr};

namespace {

const IID IID_IDirectInputDevice8A = {0x54D41080, 0xDC15, 0x4833, {0xA4, 0x1B, 0x74, 0x8F, 0x73, 0xA3, 0x81, 0x79}};

class WebInputDevice final : public ComObject<IDirectInputDevice8A> {
public:
    explicit WebInputDevice(bool keyboard) : keyboard_(keyboard) {}
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectInputDevice8A});
    }
    HRESULT SetDataFormat(LPCDIDATAFORMAT format) override {
        if (acquired_) return DIERR_ACQUIRED;
        if (format != (keyboard_ ? &c_dfDIKeyboard : &c_dfDIMouse2)) return DIERR_INVALIDPARAM;
        format_set_ = true;
        return DI_OK;
    }
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        const bool fore = flags & DISCL_FOREGROUND, back = flags & DISCL_BACKGROUND;
        const bool excl = flags & DISCL_EXCLUSIVE, nonexcl = flags & DISCL_NONEXCLUSIVE;
        if (!window || fore == back || excl == nonexcl) return DIERR_INVALIDPARAM;
        window_set_ = true;
        return DI_OK;
    }
    HRESULT GetCapabilities(LPDIDEVCAPS caps) override {
        if (!caps || caps->dwSize != sizeof(DIDEVCAPS)) return DIERR_INVALIDPARAM;
        *caps = DIDEVCAPS{};
        caps->dwSize = sizeof(DIDEVCAPS);
        caps->dwFlags = 1;  // attached
        return DI_OK;
    }
    HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID, DWORD) override {
        return callback ? DI_OK : DIERR_INVALIDPARAM;
    }
    HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) override {
        if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
        if (acquired_) return DIERR_ACQUIRED;
        if (&property != &DIPROP_BUFFERSIZE && &property != &DIPROP_AXISMODE) return DIERR_INVALIDPARAM;
        if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
        if (&property == &DIPROP_AXISMODE && keyboard_) return DIERR_INVALIDPARAM;
        return DI_OK;
    }
    HRESULT Acquire() override {
        if (!format_set_ || !window_set_) return DIERR_INVALIDPARAM;
        acquired_ = true;
        return DI_OK;
    }
    HRESULT Unacquire() override {
        const bool was = acquired_;
        acquired_ = false;
        return was ? DI_OK : S_FALSE;
    }

private:
    bool keyboard_;
    bool format_set_ = false, window_set_ = false, acquired_ = false;
};

class WebDirectInput final : public ComObject<IDirectInput8A> {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override { return answer(iid, object, {&IID_IDirectInput8A}); }
    HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN) override {
        if (!device) return DIERR_INVALIDPARAM;
        *device = nullptr;
        if (!(guid == GUID_SysKeyboard) && !(guid == GUID_SysMouse)) return DIERR_DEVICENOTREG;
        const bool keyboard = guid == GUID_SysKeyboard;
        if (fault_injected(keyboard ? Fault::Keyboard : Fault::Mouse)) return DIERR_DEVICENOTREG;
        *device = new WebInputDevice(keyboard);
        return DI_OK;
    }
    HRESULT EnumDevices(DWORD, LPDIENUMDEVICESCALLBACKA callback, LPVOID, DWORD) override {
        return callback ? DI_OK : DIERR_INVALIDPARAM;
    }
};

}  // namespace

HRESULT DirectInput8Create(HINSTANCE, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN) {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (version != DIRECTINPUT_VERSION || !(iid == IID_IDirectInput8A)) return DIERR_INVALIDPARAM;
    *out = static_cast<IDirectInput8A*>(new WebDirectInput);
    return DI_OK;
}
