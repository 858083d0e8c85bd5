// A program's command line as UTF-8 text, whatever the system's narrow code page: on Windows the
// narrow argv holds the ANSI code page's rendering of each argument (a name outside it arrives
// with '?' in place of its characters), so the wide command line is read instead.
#pragma once

#include <string>
#include <vector>

// The arguments main received, program name first, in UTF-8. On Windows it also makes the
// console show UTF-8 output, so messages that quote an argument show it as typed.
std::vector<std::string> PlatformArgumentsUtf8(int argc, char** argv);
