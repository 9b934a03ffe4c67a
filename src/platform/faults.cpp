#include "platform/faults.h"

#include <string>
#include <string_view>

#include "platform/environment.h"

namespace {

const char* const kFaultNames[] = {"register_class", "create_window",   "direct3d", "hardware_device",
                                   "any_device",     "keyboard",        "mouse",    "controller",
                                   "audio_path"};
static_assert(sizeof(kFaultNames) / sizeof(kFaultNames[0]) == static_cast<int>(Fault::Count));

bool named_in_environment(Fault fault) {
    const std::string env = environment_variable("POKOMARU_FAULT");
    if (env.empty()) return false;
    const std::string_view list(env);
    const std::string_view name(kFaultNames[static_cast<int>(fault)]);
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string_view::npos) end = list.size();
        if (list.substr(start, end - start) == name) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

FaultSwitches& fault_switches() {
    static FaultSwitches switches;
    return switches;
}

bool fault_injected(Fault fault) {
    const FaultSwitches& f = fault_switches();
    if (f.set[static_cast<int>(fault)]) return true;
    return f.read_environment && named_in_environment(fault);
}
