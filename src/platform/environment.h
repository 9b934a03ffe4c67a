// The process's environment variables, read as the system keeps them.
#pragma once

#include <string>

// The value of an environment variable of plain ASCII, empty when unset.
std::string environment_variable(const char* name);
