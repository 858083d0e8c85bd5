// Child processes on Windows: CreateProcessW with inherited file handles for the child's output,
// WaitForSingleObject for the wait. A process ended by an unhandled exception exits with the
// exception's code (0xC0000005 for an access violation), which is how its end is told apart.
#include <windows.h>

#include <cstdio>

#include "platform/child_process.h"

namespace {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

// One argument quoted so that the child's run-time reads it back unchanged: backslashes count
// only before a quote.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += argument;
    return;
  }
  line += L'"';
  size_t slashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++slashes;
      continue;
    }
    line.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
    slashes = 0;
    line += c;
  }
  line.append(slashes * 2, L'\\');
  line += L'"';
}

HANDLE OpenInherited(const wchar_t* path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path, write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

LONG WINAPI EndOnException(EXCEPTION_POINTERS*) {
  return EXCEPTION_EXECUTE_HANDLER;  // the process ends with the exception's code
}

}  // namespace

bool ChildStart(const std::vector<std::string>& arguments, const std::string& outputFile,
                const std::string& errorFile, ChildProcess* child) {
  if (arguments.empty()) return false;
  std::wstring line;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) line += L' ';
    AppendQuoted(line, Wide(arguments[i]));
  }
  HANDLE input = OpenInherited(L"NUL", false);
  HANDLE output = OpenInherited(Wide(outputFile).c_str(), true);
  HANDLE error = OpenInherited(Wide(errorFile).c_str(), true);
  bool ok = input != INVALID_HANDLE_VALUE && output != INVALID_HANDLE_VALUE &&
            error != INVALID_HANDLE_VALUE;
  PROCESS_INFORMATION process{};
  if (ok) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = error;
    const std::wstring program = Wide(arguments[0]);
    ok = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process) != 0;
  }
  for (HANDLE h : {input, output, error}) {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  if (!ok) return false;
  CloseHandle(process.hThread);
  child->handle = reinterpret_cast<intptr_t>(process.hProcess);
  return true;
}

bool ChildWait(ChildProcess* child, uint32_t milliseconds, ChildOutcome* outcome) {
  if (child->handle == 0) return false;
  HANDLE process = reinterpret_cast<HANDLE>(child->handle);
  const DWORD waited = WaitForSingleObject(process, milliseconds);
  if (waited == WAIT_TIMEOUT) return false;
  DWORD code = 0;
  if (waited != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code)) code = 0xC0000001;
  // Exception codes have severity "error" (the top two bits); exit statuses are small numbers.
  *outcome = {(code & 0xC0000000u) == 0xC0000000u, static_cast<uint32_t>(code)};
  CloseHandle(process);
  child->handle = 0;
  return true;
}

void ChildKill(ChildProcess* child) {
  if (child->handle == 0) return;
  HANDLE process = reinterpret_cast<HANDLE>(child->handle);
  TerminateProcess(process, 1);
  WaitForSingleObject(process, INFINITE);
  CloseHandle(process);
  child->handle = 0;
}

std::string ChildOwnProgram() {
  std::wstring path(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size()) return {};
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(n), nullptr, 0,
                                        nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(n), utf8.data(), bytes, nullptr,
                      nullptr);
  return utf8;
}

void ChildQuietCrashes() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndOnException);
}

std::string ChildOutcomeName(const ChildOutcome& outcome) {
  if (!outcome.signaled) return {};
  const char* name = nullptr;
  switch (outcome.code) {
    case 0xC0000005u:
      name = "access violation";
      break;
    case 0xC00000FDu:
      name = "stack overflow";
      break;
    case 0xC0000094u:
      name = "integer division by zero";
      break;
    case 0xC000001Du:
      name = "illegal instruction";
      break;
    case 0xC0000409u:
      name = "stack buffer overrun";
      break;
    case 0xC0000374u:
      name = "heap corruption";
      break;
    default:
      break;
  }
  char text[32];
  std::snprintf(text, sizeof text, "exception 0x%08X", static_cast<unsigned>(outcome.code));
  return name != nullptr ? std::string(text) + " (" + name + ")" : std::string(text);
}
