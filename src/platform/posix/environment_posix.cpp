// The environment on POSIX systems (environment.h): getenv. Nothing else.
#include "platform/environment.h"

#include <cstdlib>

std::string environment_variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}
