#include "platform/test_hooks.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/environment.h"

namespace {

const char* const kFaultNames[] = {"register_class", "create_window",   "direct3d", "hardware_device",
                                   "any_device",     "keyboard",        "mouse",    "controller",
                                   "audio_path"};
static_assert(sizeof(kFaultNames) / sizeof(kFaultNames[0]) == static_cast<int>(Fault::Count));

struct Faults {
    bool set[static_cast<int>(Fault::Count)] = {};
    bool read_environment = true;
};

Faults& faults() {
    static Faults f;
    return f;
}

// The list of faults named in POKOMARU_FAULT, empty when it is not set.
std::string fault_list() { return environment_variable("POKOMARU_FAULT"); }

bool named_in_environment(Fault fault) {
    std::string env = fault_list();
    if (env.empty()) return false;
    std::string_view list(env);
    std::string_view name(kFaultNames[static_cast<int>(fault)]);
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string_view::npos) end = list.size();
        if (list.substr(start, end - start) == name) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

bool fault_injected(Fault fault) {
    Faults& f = faults();
    if (f.set[static_cast<int>(fault)]) return true;
    return f.read_environment && named_in_environment(fault);
}

void set_fault(Fault fault, bool on) { faults().set[static_cast<int>(fault)] = on; }

void clear_faults() {
    Faults& f = faults();
    for (bool& b : f.set) b = false;
    f.read_environment = false;
}

namespace {
MessageBoxObserver the_message_box_observer = nullptr;
bool the_message_boxes_suppressed = false;
}  // namespace

void set_message_box_observer(MessageBoxObserver observer) { the_message_box_observer = observer; }
MessageBoxObserver message_box_observer() { return the_message_box_observer; }
void set_message_boxes_suppressed(bool suppressed) { the_message_boxes_suppressed = suppressed; }
bool message_boxes_suppressed() { return the_message_boxes_suppressed; }

namespace {
struct ManualClock {
    bool on = false;
    unsigned ms = 0;
};
ManualClock& manual_clock() {
    static ManualClock c;
    return c;
}
}  // namespace

void set_manual_clock(bool on, unsigned start_ms) {
    manual_clock().on = on;
    manual_clock().ms = start_ms;
}
bool manual_clock_on() { return manual_clock().on; }
unsigned manual_clock_ms() { return manual_clock().ms; }
void advance_manual_clock(unsigned ms) { manual_clock().ms += ms; }
