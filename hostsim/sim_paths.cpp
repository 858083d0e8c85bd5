// The simulator's own files, found from the binary that runs it. An installed binary sits at a
// fixed relative place in its prefix (TANSEL_PREFIX_FROM_BINARY), so the prefix moves with it.
#include "hostsim/sim_paths.h"

#include <filesystem>

#include "platform/win_module.h"

namespace {

// The installed prefix of the binary holding anchor, or empty when it does not run from one.
std::filesystem::path InstalledPrefix(const void* anchor) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCSTR>(anchor), &module)) {
    return {};
  }
  char path[4096];
  const DWORD length = GetModuleFileNameA(module, path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  std::filesystem::path prefix =
      std::filesystem::path(path).parent_path() / TANSEL_PREFIX_FROM_BINARY;
  std::error_code ec;
  if (!std::filesystem::is_directory(prefix / TANSEL_INSTALL_DATADIR / "icu_data", ec)) return {};
  return prefix.lexically_normal();
}

}  // namespace

std::string SimDataParent(const void* anchor) {
  const std::filesystem::path prefix = InstalledPrefix(anchor);
  if (prefix.empty()) return TANSEL_ICU_DATA_PARENT;
  return (prefix / TANSEL_INSTALL_DATADIR).string();
}

std::string SimDefaultPlugin(const void* anchor) {
  const std::filesystem::path prefix = InstalledPrefix(anchor);
  if (prefix.empty()) return TANSEL_BUILT_PLUGIN;
  return (prefix / TANSEL_INSTALL_PLUGIN).string();
}
