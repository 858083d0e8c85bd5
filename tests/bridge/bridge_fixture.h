// A simulated host and a clean bridge for every test; whatever a test leaves connected is torn
// down afterwards, and the host must then hold no references.
#pragma once

#include <gtest/gtest.h>

#include "bridge/client_entry.h"
#include "bridge/client_state.h"
#include "bridge/connection.h"
#include "bridge/host_errno.h"
#include "hostsim/host_object.h"
#include "tests/bridge/client_recorder.h"

class BridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostErrno = 0;
    SharedHostMemory = 0;
    ClientStopped = 0;
    ClientInitialised = 0;
    ConsoleHook = nullptr;
    g_recorder = {};
  }

  void TearDown() override {
    host.ReleaseSink();
    HostDisconnect();
    EXPECT_EQ(ClientSink, nullptr);
    EXPECT_EQ(host.OutstandingTotal(), 0);
    EXPECT_EQ(host.OverReleases(), 0);
    SharedHostMemory = 0;
  }

  // Runs the client's entry against the simulated host.
  int32_t Connect(HMODULE module = nullptr, const ClientDescription* description = nullptr,
                  IUnknown* companion = nullptr) {
    return F_ApiClientInit(module, host.Object(), companion, description);
  }

  SimHost host;
};
