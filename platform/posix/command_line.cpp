// Arguments here are the bytes the caller passed, UTF-8 in any UTF-8 locale; they stay as they are.
#include "platform/command_line.h"

std::vector<std::string> PlatformArgumentsUtf8(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}
