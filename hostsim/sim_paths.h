// Where the simulator finds the host's converters and the reference plug-in: in the prefix it was
// installed to, or else in the build tree that made it.
#pragma once

#include <string>

// The directory above "icu_data" (what the host answers for property 89): the installed data
// directory when the binary that holds `anchor` runs from an installed prefix, else the build's.
std::string SimDataParent(const void* anchor);

// The Tansel plug-in that runs when no other is named, installed or built beside this simulator.
std::string SimDefaultPlugin(const void* anchor);
