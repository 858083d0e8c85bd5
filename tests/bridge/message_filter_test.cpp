// The out-of-process client's message filter: its three answers and its COM identity.
#include <gtest/gtest.h>

#include "bridge/message_filter.h"

namespace {

constexpr IID kUnsupported = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class MessageFilterTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(filter->Release(), 0u); }
  DefaultClientMessageFilterC* filter = new (std::nothrow) DefaultClientMessageFilterC;
};

TEST_F(MessageFilterTest, RetriesAtOnceThenBacksOffToAQuarterAndGivesUpAtTwentyMinutes) {
  struct Row {
    int line;
    DWORD elapsed;
    DWORD rejectType;
    DWORD answer;
  };
  const Row rows[] = {
      {__LINE__, 0, SERVERCALL_RETRYLATER, 0},
      {__LINE__, 200, SERVERCALL_RETRYLATER, 0},
      {__LINE__, 201, SERVERCALL_RETRYLATER, 50},
      {__LINE__, 203, SERVERCALL_RETRYLATER, 50},
      {__LINE__, 204, SERVERCALL_RETRYLATER, 51},
      {__LINE__, 1199999, SERVERCALL_RETRYLATER, 299999},
      {__LINE__, 1200000, SERVERCALL_RETRYLATER, kRetryCancel},
      {__LINE__, 0xFFFFFFFF, SERVERCALL_RETRYLATER, kRetryCancel},
      {__LINE__, 0, SERVERCALL_REJECTED, kRetryCancel},
      {__LINE__, 500, SERVERCALL_REJECTED, kRetryCancel},
      // Only REJECTED cancels at once; any other reject type is treated as busy.
      {__LINE__, 201, 7, 50},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(filter->RetryRejectedCall(nullptr, row.elapsed, row.rejectType), row.answer);
  }
  EXPECT_EQ(RetryTimeout, 1200000u);
}

TEST_F(MessageFilterTest, LetsEveryCallInAndWaitsOnPendingMessages) {
  for (DWORD callType : {0u, CALLTYPE_TOPLEVEL, 2u, 5u}) {
    EXPECT_EQ(filter->HandleInComingCall(callType, nullptr, 12345, nullptr), SERVERCALL_ISHANDLED);
    EXPECT_EQ(filter->MessagePending(nullptr, 999, callType), PENDINGMSG_WAITDEFPROCESS);
  }
}

TEST_F(MessageFilterTest, AnswersForItsFaceAndItsIdentity) {
  EXPECT_EQ(filter->RefCount(), 1);
  void* out = nullptr;
  ASSERT_EQ(filter->QueryInterface(IID_IMessageFilter, &out), S_OK);
  EXPECT_EQ(out, static_cast<IMessageFilter*>(filter));
  auto* face = static_cast<IMessageFilter*>(out);
  void* identity = nullptr;
  ASSERT_EQ(face->QueryInterface(IID_IUnknown, &identity), S_OK);
  EXPECT_EQ(identity, static_cast<IUnknown*>(static_cast<ComUltraliteC*>(filter)));
  EXPECT_EQ(filter->RefCount(), 3);
  EXPECT_EQ(face->Release(), 2u);
  EXPECT_EQ(static_cast<IUnknown*>(identity)->Release(), 1u);
  out = &out;
  EXPECT_EQ(face->QueryInterface(kUnsupported, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
}

}  // namespace
