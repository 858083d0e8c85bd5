// A loadable module for the module tests; test_module.rc gives it resources, and the same source
// built without them makes the bare module.
#include "platform/symbols.h"

#define TEST_MODULE_EXPORT TANSEL_EXPORT

extern "C" {
TEST_MODULE_EXPORT int TestModuleAnswer() {
  return 42;
}
TEST_MODULE_EXPORT int TestModuleValue = 7;
// Defined but not exported: found only in the module's symbol table.
__attribute__((visibility("hidden"))) int TestModuleHidden = 5;
__attribute__((visibility("hidden"))) int TestModuleHiddenAnswer() {
  return TestModuleHidden;
}
}
