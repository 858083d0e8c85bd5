// Apartments, the clock, and the stubs through which servers hold a client's objects.
#include <gtest/gtest.h>

#include <thread>

#include "platform/com_runtime.h"
#include "platform/win_time.h"
#include "tests/platform/fake_clock.h"

namespace {

// A counted object with an identity of its own and one more face, as COM objects have.
class CountedObject final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (!IsEqualGUID(iid, IID_IUnknown)) return E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override {
    if (refs == 0) ++overReleases;
    return static_cast<ULONG>(refs == 0 ? 0 : --refs);
  }
  int32_t refs = 1;
  int32_t overReleases = 0;
};

TEST(ComApartment, TheFirstCallEntersAndEveryCallCounts) {
  ASSERT_EQ(ComInitializeDepth(), 0u);
  EXPECT_EQ(CoInitialize(reinterpret_cast<LPVOID>(1)), E_INVALIDARG);
  EXPECT_EQ(ComInitializeDepth(), 0u);
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  EXPECT_EQ(ComInitializeDepth(), 3u);
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(ComInitializeDepth(), 1u);
  CoUninitialize();
  CoUninitialize();  // one too many: nothing happens
  EXPECT_EQ(ComInitializeDepth(), 0u);
  EXPECT_EQ(CoInitialize(nullptr), S_OK);  // entered afresh
  CoUninitialize();
}

TEST(ComApartment, EachThreadHasItsOwn) {
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  HRESULT other = E_FAIL;
  ULONG otherDepth = 99;
  std::thread([&] {
    other = CoInitialize(nullptr);
    otherDepth = ComInitializeDepth();
    CoUninitialize();
  }).join();
  EXPECT_EQ(other, S_OK);
  EXPECT_EQ(otherDepth, 1u);
  EXPECT_EQ(ComInitializeDepth(), 1u);
  CoUninitialize();
}

TEST(ComStubs, AStubHoldsOneReferenceUntilItsHolderLetsGo) {
  CountedObject object;
  DWORD cookie = 0;
  EXPECT_EQ(ComStubCreate(nullptr, &cookie), E_INVALIDARG);
  EXPECT_EQ(ComStubCreate(&object, nullptr), E_INVALIDARG);
  const ULONG before = ComStubCount();
  ASSERT_EQ(ComStubCreate(&object, &cookie), S_OK);
  EXPECT_EQ(object.refs, 2);
  EXPECT_EQ(ComStubCount(), before + 1);
  void* face = nullptr;
  ASSERT_EQ(ComStubQuery(cookie, IID_IUnknown, &face), S_OK);
  EXPECT_EQ(face, &object);
  static_cast<IUnknown*>(face)->Release();
  ComStubRelease(cookie);
  EXPECT_EQ(object.refs, 1);
  EXPECT_EQ(ComStubCount(), before);
  EXPECT_EQ(ComStubQuery(cookie, IID_IUnknown, &face), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(face, nullptr);
  ComStubRelease(cookie);  // unknown by now: nothing happens
  EXPECT_EQ(object.overReleases, 0);
}

TEST(ComStubs, DisconnectingCutsEveryStubOfTheObjectAndNoOther) {
  CountedObject object, bystander;
  DWORD first = 0, second = 0, third = 0;
  ASSERT_EQ(ComStubCreate(&object, &first), S_OK);
  ASSERT_EQ(ComStubCreate(&object, &second), S_OK);
  ASSERT_EQ(ComStubCreate(&bystander, &third), S_OK);
  EXPECT_EQ(object.refs, 3);
  EXPECT_EQ(CoDisconnectObject(&object, 1), E_INVALIDARG);
  EXPECT_EQ(CoDisconnectObject(nullptr, 0), E_INVALIDARG);
  EXPECT_EQ(object.refs, 3);
  ASSERT_EQ(CoDisconnectObject(&object, 0), S_OK);
  EXPECT_EQ(object.refs, 1);
  void* face = nullptr;
  EXPECT_EQ(ComStubQuery(first, IID_IUnknown, &face), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(ComStubQuery(third, IID_IUnknown, &face), S_OK);
  static_cast<IUnknown*>(face)->Release();
  // The holders letting go later releases nothing more.
  ComStubRelease(first);
  ComStubRelease(second);
  ComStubRelease(third);
  EXPECT_EQ(object.refs, 1);
  EXPECT_EQ(bystander.refs, 1);
  EXPECT_EQ(object.overReleases + bystander.overReleases, 0);
  // An object nobody holds disconnects quietly.
  EXPECT_EQ(CoDisconnectObject(&object, 0), S_OK);
  EXPECT_EQ(object.refs, 1);
}

TEST(PlatformClock, TicksAreTheSteadyClockCutTo32BitsAndSleepingIsTheTables) {
  ScopedFakeClock clock(0x1'0000'0005ull, 0);
  EXPECT_EQ(GetTickCount(), 5u);
  EXPECT_EQ(GetTickCount64(), 0x1'0000'0005ull);
  Sleep(250);
  EXPECT_EQ(GetTickCount(), 255u);
  EXPECT_EQ(clock.sleeps(), 1u);
}

TEST(PlatformClock, TheRealClockMovesForward) {
  const uint64_t first = GetTickCount64();
  Sleep(0);
  EXPECT_GE(GetTickCount64(), first);
}

}  // namespace
