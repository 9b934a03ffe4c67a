// The input system on SDL. The keyboard and the mouse are the window
// system's own: on X11 its master keyboard and master pointer, asked of the
// X server's input extension; under other video drivers (offscreen, tests)
// the virtual ones that driver provides. Game controllers are SDL's
// joysticks. Nothing here ever reads a device.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <cstdio>
#include <cstring>

#include "platform/direct_input.h"
#include "platform/sdl/com_object.h"
#include "platform/sdl/sdl_window.h"
#include "platform/test_hooks.h"

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
// of ours and whose second holds the SDL device index.
constexpr std::uint32_t kControllerGuidMark = 0x504B4A53;

// This layer's own identifier for its device interface, for QueryInterface.
const IID IID_IDirectInputDevice8A = {0x54D41080, 0xDC15, 0x4833, {0xA4, 0x1B, 0x74, 0x8F, 0x73, 0xA3, 0x81, 0x79}};

enum class Kind { Keyboard, Mouse, Controller };

struct MasterDevices {
    bool keyboard = false;
    bool pointer = false;
};

// Asks the window system which master devices it has. Only X11 can say; any
// other video driver has its own virtual keyboard and pointer.
MasterDevices find_master_devices() {
    MasterDevices found;
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
    if (!driver || std::strcmp(driver, "x11") != 0) {
        found.keyboard = found.pointer = driver != nullptr;
        return found;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) return found;
    int opcode = 0, event = 0, error = 0, major = 2, minor = 0;
    if (XQueryExtension(display, "XInputExtension", &opcode, &event, &error) &&
        XIQueryVersion(display, &major, &minor) == Success) {
        int count = 0;
        XIDeviceInfo* devices = XIQueryDevice(display, XIAllMasterDevices, &count);
        for (int i = 0; devices && i < count; ++i) {
            if (!devices[i].enabled) continue;
            if (devices[i].use == XIMasterKeyboard) found.keyboard = true;
            if (devices[i].use == XIMasterPointer) found.pointer = true;
        }
        if (devices) XIFreeDeviceInfo(devices);
    } else {
        // A server without the extension still has its core keyboard and pointer.
        found.keyboard = found.pointer = true;
    }
    XCloseDisplay(display);
    return found;
}

class SdlInputDevice final : public ComObject<IDirectInputDevice8A> {
public:
    SdlInputDevice(Kind kind, SDL_Joystick* joystick) : kind_(kind), joystick_(joystick) {}

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
            if (!SDL_JoystickGetAttached(joystick_)) return DIERR_NOTINITIALIZED;
            caps->dwAxes = static_cast<DWORD>(SDL_max(SDL_JoystickNumAxes(joystick_), 0));
            caps->dwButtons = static_cast<DWORD>(SDL_max(SDL_JoystickNumButtons(joystick_), 0));
            caps->dwPOVs = static_cast<DWORD>(SDL_max(SDL_JoystickNumHats(joystick_), 0));
        }
        return DI_OK;
    }

    HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID context, DWORD flags) override {
        if (!callback) return DIERR_INVALIDPARAM;
        if (kind_ != Kind::Controller || !(flags & DIDFT_AXIS)) return DI_OK;
        int axes = SDL_JoystickNumAxes(joystick_);
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
            if (axis >= SDL_JoystickNumAxes(joystick_) || range->lMin >= range->lMax) return DIERR_INVALIDPARAM;
            return DI_OK;
        }
        return DIERR_INVALIDPARAM;
    }

    HRESULT Acquire() override {
        if (!format_set_ || !window_) return DIERR_INVALIDPARAM;
        if (foreground_ && !(SDL_GetWindowFlags(window_->sdl) & SDL_WINDOW_INPUT_FOCUS))
            return DIERR_OTHERAPPHASPRIO;
        acquired_ = true;
        return DI_OK;
    }

    HRESULT Unacquire() override {
        bool was = acquired_;
        acquired_ = false;
        return was ? DI_OK : S_FALSE;
    }

    ~SdlInputDevice() override {
        if (joystick_) SDL_JoystickClose(joystick_);
    }

private:
    Kind kind_;
    SDL_Joystick* joystick_;
    HWND window_ = nullptr;
    bool foreground_ = false;
    bool format_set_ = false;
    bool acquired_ = false;
};

class SdlDirectInput final : public ComObject<IDirectInput8A> {
public:
    explicit SdlDirectInput(bool joysticks) : joysticks_(joysticks) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        return answer(iid, object, {&IID_IDirectInput8A});
    }

    HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN) override {
        if (!device) return DIERR_INVALIDPARAM;
        *device = nullptr;
        if (guid == GUID_SysKeyboard || guid == GUID_SysMouse) {
            bool keyboard = guid == GUID_SysKeyboard;
            if (fault_injected(keyboard ? Fault::Keyboard : Fault::Mouse)) return DIERR_DEVICENOTREG;
            MasterDevices found = find_master_devices();
            if (!(keyboard ? found.keyboard : found.pointer)) return DIERR_DEVICENOTREG;
            *device = new SdlInputDevice(keyboard ? Kind::Keyboard : Kind::Mouse, nullptr);
            return DI_OK;
        }
        if (guid.Data1 == kControllerGuidMark && joysticks_) {
            SDL_Joystick* joystick = SDL_JoystickOpen(static_cast<int>(guid.Data2));
            if (!joystick) return DIERR_DEVICENOTREG;
            *device = new SdlInputDevice(Kind::Controller, joystick);
            return DI_OK;
        }
        return DIERR_DEVICENOTREG;
    }

    HRESULT EnumDevices(DWORD device_class, LPDIENUMDEVICESCALLBACKA callback, LPVOID context, DWORD) override {
        if (!callback) return DIERR_INVALIDPARAM;
        if (device_class != DI8DEVCLASS_GAMECTRL || !joysticks_ || fault_injected(Fault::Controller)) return DI_OK;
        int count = SDL_NumJoysticks();
        for (int i = 0; i < count; ++i) {
            DIDEVICEINSTANCEA instance{};
            instance.dwSize = sizeof(instance);
            instance.guidInstance = GUID{kControllerGuidMark, static_cast<std::uint16_t>(i), 0, {}};
            SDL_JoystickGUID sdl_guid = SDL_JoystickGetDeviceGUID(i);
            std::memcpy(instance.guidProduct.Data4, sdl_guid.data, 8);
            const char* name = SDL_JoystickNameForIndex(i);
            std::snprintf(instance.tszInstanceName, sizeof(instance.tszInstanceName), "%s", name ? name : "");
            std::snprintf(instance.tszProductName, sizeof(instance.tszProductName), "%s", name ? name : "");
            if (callback(&instance, context) == DIENUM_STOP) break;
        }
        return DI_OK;
    }

    ~SdlDirectInput() override {
        if (joysticks_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }

private:
    bool joysticks_;
};

}  // namespace

HRESULT DirectInput8Create(HINSTANCE, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN) {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (version != DIRECTINPUT_VERSION || !(iid == IID_IDirectInput8A)) return DIERR_INVALIDPARAM;
    // Controller events are never read: keep them out of the message queue.
    bool joysticks = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    if (joysticks) SDL_JoystickEventState(SDL_IGNORE);
    *out = static_cast<IDirectInput8A*>(new SdlDirectInput(joysticks));
    return DI_OK;
}
