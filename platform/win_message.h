// Thread message queues with Windows' names: every thread that asks has one; messages are posted
// to a thread (from any thread) and taken in order by that thread's message loop.
//
// There are no windows here beyond COM's own: DispatchMessageA runs the calls that COM posts to
// an apartment (platform/com_calls.h) and ignores every other message.
#pragma once

#include <cstddef>

#include "platform/win_types.h"

// A window, and the parameters and result of a message.
typedef void* HWND;
typedef ULONG_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

// A point on the screen.
struct POINT {
  LONG x;  // horizontal
  LONG y;  // vertical
};

// One message of a thread's queue.
struct MSG {
  HWND hwnd;       // the window; null for a message posted to the thread
  UINT message;    // the message number
  WPARAM wParam;   // first parameter
  LPARAM lParam;   // second parameter
  DWORD time;      // GetTickCount when it was posted
  POINT pt;        // where the cursor was (always 0 here)
  DWORD lPrivate;  // reserved
};
static_assert(sizeof(MSG) == 48 && offsetof(MSG, message) == 8 && offsetof(MSG, wParam) == 16 &&
              offsetof(MSG, lParam) == 24 && offsetof(MSG, time) == 32 && offsetof(MSG, pt) == 36);

// The message that ends a message loop, and the first number free for a program's own.
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_USER = 0x0400;
// The message a thread timer (SetTimer without a window) brings to the thread's loop.
inline constexpr UINT WM_TIMER = 0x0113;
typedef uint64_t UINT_PTR;  // a pointer-sized unsigned value, as Windows spells it
typedef void(WINAPI* TIMERPROC)(HWND window, UINT message, UINT_PTR id, DWORD tick);

TANSEL_SYSTEM_BEGIN
// The calling thread's identifier, as PostThreadMessageA takes it.
DWORD WINAPI GetCurrentThreadId();
// Waits for the next message of the calling thread and takes it. The filters must be null and
// 0 (any window, any message). Returns 0 for WM_QUIT, which comes only once the queue is
// otherwise empty; -1 for a null msg or a filter; nonzero for any other message.
BOOL WINAPI GetMessageA(MSG* msg, HWND window, UINT first, UINT last);
// Turns key messages into character messages; there are none here, so it returns FALSE.
BOOL WINAPI TranslateMessage(const MSG* msg);
// Runs the message: a call that COM posted to the calling thread's apartment runs here; other
// messages have no window to go to. Returns 0.
LRESULT WINAPI DispatchMessageA(const MSG* msg);
// Asks the calling thread's message loop to end: GetMessageA returns WM_QUIT (wParam = code) once
// the messages already posted have been taken.
void WINAPI PostQuitMessage(int code);
// Posts a message to the thread's queue (creating it): nonzero on success, FALSE for thread 0.
BOOL WINAPI PostThreadMessageA(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam);
// A timer of the calling thread (window and procedure null): every period ms, when its queue is
// otherwise empty, GetMessageA gives a WM_TIMER (hwnd null, wParam the identifier). Returns the
// identifier, 0 on failure; id is ignored for a timer without a window.
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC procedure);
// Ends the calling thread's timer; FALSE when it has none of that identifier.
BOOL WINAPI KillTimer(HWND window, UINT_PTR id);
TANSEL_SYSTEM_END
