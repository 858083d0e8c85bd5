// Host interfaces made from the slot table whose every slot answers E_NOTIMPL: a test derives from
// one and gives the slots it needs a body, and IUnknown its own answers.
#pragma once

#include "bridge/host_interfaces.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define HOST_INTERFACE(Name, ...)  \
  class Stub##Name : public Name { \
   public:
#define HOST_SLOT(Interface, slot, Method, Shape, Type, Wrapper, Params)       \
  HRESULT STDMETHODCALLTYPE Method HOST_PARAMS(Shape, Type, Params) override { \
    return E_NOTIMPL;                                                          \
  }
#define HOST_INTERFACE_END(Name) \
  }                              \
  ;
#include "bridge/host_slots.inc"
#pragma GCC diagnostic pop
