// The faults a test build switches from code (test_hooks.h).
#include "platform/test_hooks.h"

void set_fault(Fault fault, bool on) { fault_switches().set[static_cast<int>(fault)] = on; }

void clear_faults() {
    FaultSwitches& f = fault_switches();
    for (bool& b : f.set) b = false;
    f.read_environment = false;
}
