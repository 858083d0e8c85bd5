// Thread message queues: one per thread that posts to or reads from it, kept for the process.
// Any thread may post; only the owner takes, so the lock guards the queue and nothing else runs
// under it.
#include "platform/posix/message_queue.h"

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "platform/win_time.h"

namespace {

using Clock = std::chrono::steady_clock;

struct ThreadTimer {
  UINT_PTR id;
  std::chrono::milliseconds period;
  Clock::time_point due;  // when its next WM_TIMER may be taken
};

struct ThreadQueue {
  std::deque<MSG> messages;  // posted, not yet taken
  std::vector<ThreadTimer> timers;
  bool quit = false;              // PostQuitMessage was called
  int quitCode = 0;               // its code
  std::condition_variable ready;  // signalled on every post
};

std::mutex g_lock;  // guards g_queues and every queue's contents

std::map<DWORD, ThreadQueue>& Queues() {
  static auto* queues = new std::map<DWORD, ThreadQueue>;  // lives as long as the threads
  return *queues;
}

// The thread's queue, made on first use; call with g_lock held.
ThreadQueue& QueueOf(DWORD thread) {
  return Queues()[thread];
}

}  // namespace

DWORD WINAPI GetCurrentThreadId() {
  return static_cast<DWORD>(gettid());
}

bool PostToThread(DWORD thread, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (thread == 0) return false;
  MSG msg = {};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetTickCount();
  std::lock_guard<std::mutex> hold(g_lock);
  ThreadQueue& queue = QueueOf(thread);
  queue.messages.push_back(msg);
  queue.ready.notify_one();
  return true;
}

BOOL WINAPI PostThreadMessageA(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam) {
  return PostToThread(thread, nullptr, message, wParam, lParam) ? TRUE : FALSE;
}

void WINAPI PostQuitMessage(int code) {
  std::lock_guard<std::mutex> hold(g_lock);
  ThreadQueue& queue = QueueOf(GetCurrentThreadId());
  queue.quit = true;
  queue.quitCode = code;
  queue.ready.notify_one();
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR, UINT period, TIMERPROC procedure) {
  if (window != nullptr || procedure != nullptr) return 0;
  static UINT_PTR lastId = 0;
  std::lock_guard<std::mutex> hold(g_lock);
  const std::chrono::milliseconds every(period == 0 ? 1 : period);
  QueueOf(GetCurrentThreadId()).timers.push_back({++lastId, every, Clock::now() + every});
  return lastId;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
  if (window != nullptr) return FALSE;
  std::lock_guard<std::mutex> hold(g_lock);
  std::vector<ThreadTimer>& timers = QueueOf(GetCurrentThreadId()).timers;
  for (auto it = timers.begin(); it != timers.end(); ++it) {
    if (it->id == id) {
      timers.erase(it);
      return TRUE;
    }
  }
  return FALSE;
}

BOOL WINAPI GetMessageA(MSG* msg, HWND window, UINT first, UINT last) {
  if (msg == nullptr || window != nullptr || first != 0 || last != 0) return -1;
  std::unique_lock<std::mutex> hold(g_lock);
  ThreadQueue& queue = QueueOf(GetCurrentThreadId());
  // As on Windows, a timer's message comes only when nothing was posted, the quit included.
  for (;;) {
    if (!queue.messages.empty() || queue.quit) break;
    if (queue.timers.empty()) {
      queue.ready.wait(hold);
      continue;
    }
    ThreadTimer* next = &queue.timers.front();
    for (ThreadTimer& timer : queue.timers) {
      if (timer.due < next->due) next = &timer;
    }
    if (Clock::now() >= next->due) {
      next->due = Clock::now() + next->period;
      *msg = {};
      msg->message = WM_TIMER;
      msg->wParam = next->id;
      msg->time = GetTickCount();
      return TRUE;
    }
    queue.ready.wait_until(hold, next->due);
  }
  if (!queue.messages.empty()) {
    *msg = queue.messages.front();
    queue.messages.pop_front();
    return TRUE;
  }
  // The quit message is made when it is taken, after everything posted before it.
  queue.quit = false;
  *msg = {};
  msg->message = WM_QUIT;
  msg->wParam = static_cast<WPARAM>(queue.quitCode);
  msg->time = GetTickCount();
  return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG*) {
  return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  if (msg != nullptr) DispatchPlatformMessage(*msg);
  return 0;
}

std::vector<MSG> TakeWindowMessages(HWND window) {
  std::vector<MSG> taken;
  std::lock_guard<std::mutex> hold(g_lock);
  ThreadQueue& queue = QueueOf(GetCurrentThreadId());
  for (auto it = queue.messages.begin(); it != queue.messages.end();) {
    if (it->hwnd == window) {
      taken.push_back(*it);
      it = queue.messages.erase(it);
    } else {
      ++it;
    }
  }
  return taken;
}

bool HasQueuedMessage() {
  std::lock_guard<std::mutex> hold(g_lock);
  const ThreadQueue& queue = QueueOf(GetCurrentThreadId());
  return !queue.messages.empty() || queue.quit;
}
