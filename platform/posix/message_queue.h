// Inside the thread message queues: what COM needs beyond the public calls.
#pragma once

#include <vector>

#include "platform/win_message.h"

// Posts msg (its window, message and parameters) to the thread's queue: false for thread 0.
bool PostToThread(DWORD thread, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Takes every message for window out of the calling thread's queue, in order.
std::vector<MSG> TakeWindowMessages(HWND window);
// True when the calling thread's queue holds a message (a pending quit counts).
bool HasQueuedMessage();
// Runs a message for a window that the platform owns; false when window is not one of them.
bool DispatchPlatformMessage(const MSG& msg);
