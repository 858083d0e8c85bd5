// Thread message queues: order, the quit message taken once, posting from another thread.
#include <gtest/gtest.h>

#include <thread>

#include "platform/posix/message_queue.h"
#include "platform/win_message.h"

namespace {

TEST(MessageQueue, MessagesComeInOrderAndQuitComesLast) {
  const DWORD self = GetCurrentThreadId();
  ASSERT_NE(self, 0u);
  PostQuitMessage(3);  // asked first, delivered once the queue is empty
  ASSERT_TRUE(PostThreadMessageA(self, WM_USER, 1, -1));
  ASSERT_TRUE(PostThreadMessageA(self, WM_USER + 1, 2, -2));
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_USER);
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_EQ(msg.lParam, -1);
  EXPECT_FALSE(TranslateMessage(&msg));
  EXPECT_EQ(DispatchMessageA(&msg), 0);  // no window to go to
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_USER + 1u);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
  // Taken once: a new message comes next.
  ASSERT_TRUE(PostThreadMessageA(self, WM_USER + 2, 0, 0));
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_USER + 2u);
}

TEST(MessageQueue, TakingTheQuitMessageLeavesNothingQueued) {
  const DWORD self = GetCurrentThreadId();
  PostQuitMessage(4);
  EXPECT_TRUE(HasQueuedMessage());
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.wParam, 4u);
  // Nothing is left: the next read waits for the next post instead of quitting again.
  EXPECT_FALSE(HasQueuedMessage());
  std::thread poster([&] { PostThreadMessageA(self, WM_USER + 3, 0, 0); });
  BOOL got = GetMessageA(&msg, nullptr, 0, 0);
  poster.join();
  ASSERT_EQ(got, TRUE);
  EXPECT_EQ(msg.message, WM_USER + 3u);
  EXPECT_FALSE(HasQueuedMessage());
}

TEST(MessageQueue, RefusesWhatItCannotServe) {
  MSG msg;
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
  EXPECT_EQ(GetMessageA(&msg, reinterpret_cast<HWND>(1), 0, 0), -1);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 1, 2), -1);
  EXPECT_FALSE(PostThreadMessageA(0, WM_USER, 0, 0));
  EXPECT_EQ(DispatchMessageA(nullptr), 0);
}

TEST(MessageQueue, AnotherThreadPostsAndTheOwnerWaitsForIt) {
  const DWORD self = GetCurrentThreadId();
  DWORD other = 0;
  std::thread poster([&] {
    other = GetCurrentThreadId();
    PostThreadMessageA(self, WM_USER + 5, 42, 0);
  });
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);  // blocks until the post
  poster.join();
  EXPECT_EQ(msg.message, WM_USER + 5u);
  EXPECT_EQ(msg.wParam, 42u);
  EXPECT_NE(other, self);
}

}  // namespace
