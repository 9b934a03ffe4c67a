// The DirectInput 8 objects on every platform but Windows. The keyboard and
// the mouse exist when the backend says so; game controllers are the
// backend's. Not implemented: reading any device (GetDeviceState and
// friends), which the game never does; force feedback.
#include <cstdio>
#include <cstring>

#include "platform/direct_input.h"
#include "platform/hosted/com_object.h"
#include "platform/hosted/host_input.h"
#include "platform/hosted/platform_window.h"
#include "platform/faults.h"

const GUID IID_IDirectInput8A = {0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_SysMouse = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// Properties are told apart by address.
const GUID DIPROP_BUFFERSIZE = {1, 0, 0, {}};
const GUID DIPROP_AXISMODE = {2, 0, 0, {}};
const GUID DIPROP_RANGE = {4, 0, 0, {}};

// The three formats are told apart by address; their sizes are those of
// the device states they describe.
const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), 16, 2, 256, 0, nullptr};
const DIDATAFORMAT c_dfDIMouse2 = {sizeof(DIDATAFORMAT), 16, 2, 20, 0, nullptr};
const DIDATAFORMAT c_dfDIJoystick = {sizeof(DIDATAFORMAT), 16, 1, 80, 0, nullptr};

namespace {

// Controller instances are named by a GUID whose first word marks it as one
// of ours and whose second holds the backend's controller index.
constexpr std::uint32_t kControllerGuidMark = 0x504B4A53;

// This layer's own identifier for its device interface, for QueryInterface.
const IID IID_IDirectInputDevice8A = {0x54D41080, 0xDC15, 0x4833, {0xA4, 0x1B, 0x74, 0x8F, 0x73, 0xA3, 0x81, 0x79}};

enum class Kind { Keyboard, Mouse, Controller };

class HostedInputDevice final : public ComObject<IDirectInputDevice8A> {
public:
    HostedInputDevice(Kind kind, HostController* controller) : kind_(kind), controller_(controller) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectInputDevice8A});
    }

    HRESULT SetDataFormat(LPCDIDATAFORMAT format) override {
        if (acquired_) return DIERR_ACQUIRED;
        bool fits = (kind_ == Kind::Keyboard && format == &c_dfDIKeyboard) ||
                    (kind_ == Kind::Mouse && format == &c_dfDIMouse2) ||
                    (kind_ == Kind::Controller && format == &c_dfDIJoystick);
        if (!fits) return DIERR_INVALIDPARAM;
        format_set_ = true;
        return DI_OK;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        bool fore = flags & DISCL_FOREGROUND, back = flags & DISCL_BACKGROUND;
        bool excl = flags & DISCL_EXCLUSIVE, nonexcl = flags & DISCL_NONEXCLUSIVE;
        if (!window || window->destroyed || fore == back || excl == nonexcl) return DIERR_INVALIDPARAM;
        window_ = window;
        foreground_ = fore;
        return DI_OK;
    }

    HRESULT GetCapabilities(LPDIDEVCAPS caps) override {
        if (!caps || caps->dwSize != sizeof(DIDEVCAPS)) return DIERR_INVALIDPARAM;
        DWORD size = caps->dwSize;
        *caps = DIDEVCAPS{};
        caps->dwSize = size;
        caps->dwFlags = 1;  // attached
        if (kind_ == Kind::Controller) {
            int axes = 0, buttons = 0, povs = 0;
            if (!host_controller_capabilities(controller_, &axes, &buttons, &povs)) return DIERR_NOTINITIALIZED;
            caps->dwAxes = static_cast<DWORD>(axes);
            caps->dwButtons = static_cast<DWORD>(buttons);
            caps->dwPOVs = static_cast<DWORD>(povs);
        }
        return DI_OK;
    }

    HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID context, DWORD flags) override {
        if (!callback) return DIERR_INVALIDPARAM;
        if (kind_ != Kind::Controller || !(flags & DIDFT_AXIS)) return DI_OK;
        int axes = axis_count();
        for (int i = 0; i < axes; ++i) {
            DIDEVICEOBJECTINSTANCEA object{};
            object.dwSize = sizeof(object);
            object.dwType = static_cast<DWORD>(DIDFT_AXIS | (i << 8));
            std::snprintf(object.tszName, sizeof(object.tszName), "Axis %d", i);
            if (callback(&object, context) == DIENUM_STOP) break;
        }
        return DI_OK;
    }

    HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) override {
        if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
        if (acquired_) return DIERR_ACQUIRED;
        if (&property == &DIPROP_BUFFERSIZE || &property == &DIPROP_AXISMODE) {
            if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
            if (&property == &DIPROP_AXISMODE && kind_ == Kind::Keyboard) return DIERR_INVALIDPARAM;
            return DI_OK;
        }
        if (&property == &DIPROP_RANGE) {
            if (kind_ != Kind::Controller || header->dwSize != sizeof(DIPROPRANGE) || header->dwHow != DIPH_BYID)
                return DIERR_INVALIDPARAM;
            const auto* range = reinterpret_cast<const DIPROPRANGE*>(header);
            int axis = static_cast<int>(header->dwObj >> 8);
            if (axis >= axis_count() || range->lMin >= range->lMax) return DIERR_INVALIDPARAM;
            return DI_OK;
        }
        return DIERR_INVALIDPARAM;
    }

    HRESULT Acquire() override {
        if (!format_set_ || !window_) return DIERR_INVALIDPARAM;
        if (foreground_ && !host_window_has_focus(window_->host))
            return DIERR_OTHERAPPHASPRIO;
        acquired_ = true;
        return DI_OK;
    }

    HRESULT Unacquire() override {
        bool was = acquired_;
        acquired_ = false;
        return was ? DI_OK : S_FALSE;
    }

    ~HostedInputDevice() override {
        if (controller_) host_close_controller(controller_);
    }

private:
    // The controller's axes; none when its capabilities cannot be read.
    int axis_count() const {
        int axes = 0, buttons = 0, povs = 0;
        return controller_ && host_controller_capabilities(controller_, &axes, &buttons, &povs) ? axes : 0;
    }

    Kind kind_;
    HostController* controller_;
    HWND window_ = nullptr;
    bool foreground_ = false;
    bool format_set_ = false;
    bool acquired_ = false;
};

class HostedDirectInput final : public ComObject<IDirectInput8A> {
public:
    explicit HostedDirectInput(bool joysticks) : joysticks_(joysticks) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectInput8A});
    }

    HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN) override {
        if (!device) return DIERR_INVALIDPARAM;
        *device = nullptr;
        if (guid == GUID_SysKeyboard || guid == GUID_SysMouse) {
            bool keyboard = guid == GUID_SysKeyboard;
            if (fault_injected(keyboard ? Fault::Keyboard : Fault::Mouse)) return DIERR_DEVICENOTREG;
            if (!(keyboard ? host_keyboard_exists() : host_mouse_exists())) return DIERR_DEVICENOTREG;
            *device = new HostedInputDevice(keyboard ? Kind::Keyboard : Kind::Mouse, nullptr);
            return DI_OK;
        }
        if (guid.Data1 == kControllerGuidMark && joysticks_) {
            HostController* controller = host_open_controller(static_cast<int>(guid.Data2));
            if (!controller) return DIERR_DEVICENOTREG;
            *device = new HostedInputDevice(Kind::Controller, controller);
            return DI_OK;
        }
        return DIERR_DEVICENOTREG;
    }

    HRESULT EnumDevices(DWORD device_class, LPDIENUMDEVICESCALLBACKA callback, LPVOID context, DWORD) override {
        if (!callback) return DIERR_INVALIDPARAM;
        if (device_class != DI8DEVCLASS_GAMECTRL || !joysticks_ || fault_injected(Fault::Controller)) return DI_OK;
        int count = host_controller_count();
        for (int i = 0; i < count; ++i) {
            DIDEVICEINSTANCEA instance{};
            instance.dwSize = sizeof(instance);
            instance.guidInstance = GUID{kControllerGuidMark, static_cast<std::uint16_t>(i), 0, {}};
            char name[sizeof(instance.tszProductName)] = {};
            host_controller_identity(i, name, sizeof(name), instance.guidProduct.Data4);
            std::snprintf(instance.tszInstanceName, sizeof(instance.tszInstanceName), "%s", name);
            std::snprintf(instance.tszProductName, sizeof(instance.tszProductName), "%s", name);
            if (callback(&instance, context) == DIENUM_STOP) break;
        }
        return DI_OK;
    }

    ~HostedDirectInput() override {
        if (joysticks_) host_close_controllers();
    }

private:
    bool joysticks_;
};

}  // namespace

HRESULT DirectInput8Create(HINSTANCE, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN) {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (version != DIRECTINPUT_VERSION || !(iid == IID_IDirectInput8A)) return DIERR_INVALIDPARAM;
    *out = static_cast<IDirectInput8A*>(new HostedDirectInput(host_open_controllers()));
    return DI_OK;
}
