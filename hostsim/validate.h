// tansel-hostsim --validate: runs a plug-in module through a battery of host behaviour, one fresh
// simulated host per check, and reports one line per check and a summary.
#pragma once

#include <cstdint>
#include <string>

// Validates the module at path with random choices drawn from seed; data_parent is the directory
// above the host's "icu_data". Returns the process's exit status: 0 when every check passed,
// 1 when the module cannot be loaded, 2 when a check failed.
int ValidatePlugin(const std::string& path, uint32_t seed, const std::string& data_parent);
