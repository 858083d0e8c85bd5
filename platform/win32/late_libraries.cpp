// Late-bound modules on Windows: each has a delay-import descriptor whose name table lists the
// entry points this module imports from it. The start-up check loads the module and looks each
// one up, as the first calls would; the failure hook covers a call the check did not foresee.
#include <windows.h>

#include <delayimp.h>

#include <cstdio>
#include <string>

#include "platform/late_libraries.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;  // this module's own image

namespace {

const char* ImageBase() {
  return reinterpret_cast<const char*>(&__ImageBase);
}

// A missing module or entry point met at a call: nothing can carry the call on, so it ends in the
// library's fatal error (code 1) after saying why.
FARPROC WINAPI LateBindingFailed(unsigned reason, PDelayLoadInfo info) {
  if (reason == dliFailLoadLib || reason == dliFailGetProc) {
    const char* entry = info->dlp.fImportByName ? info->dlp.szProcName : "(by ordinal)";
    std::fprintf(stderr, "Error: %s %s%s\n", info->szDll,
                 reason == dliFailLoadLib ? "cannot be loaded" : "has no entry point ",
                 reason == dliFailLoadLib ? "" : entry);
    std::fflush(stderr);
    RaiseException(1, 0, 0, nullptr);
  }
  return nullptr;
}

}  // namespace

extern "C" {
PfnDliHook __pfnDliFailureHook2 = LateBindingFailed;
}

std::string PlatformLateLibrariesProblem(const void* const* descriptors, int count) {
  const char* base = ImageBase();
  for (int i = 0; i < count; ++i) {
    const auto* descriptor = static_cast<const ImgDelayDescr*>(descriptors[i]);
    const char* name = base + descriptor->rvaDLLName;
    // Kept loaded: the first call binds through the same module.
    HMODULE module = LoadLibraryA(name);
    if (module == nullptr) {
      const DWORD code = GetLastError();
      char text[256] = "";
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                     text, sizeof text, nullptr);
      std::string reason = text;
      while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                                 reason.back() == ' ' || reason.back() == '.')) {
        reason.pop_back();
      }
      return std::string(name) + " cannot be loaded (error " + std::to_string(code) +
             (reason.empty() ? "" : ": " + reason) + ")";
    }
    const auto* entries = reinterpret_cast<const IMAGE_THUNK_DATA64*>(base + descriptor->rvaINT);
    for (; entries->u1.AddressOfData != 0; ++entries) {
      if (IMAGE_SNAP_BY_ORDINAL64(entries->u1.Ordinal)) continue;  // ICU exports by name
      const auto* entry =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + entries->u1.AddressOfData);
      const char* entryName = reinterpret_cast<const char*>(entry->Name);
      if (GetProcAddress(module, entryName) == nullptr) {
        return std::string(name) + " has no entry point " + entryName;
      }
    }
  }
  return {};
}
