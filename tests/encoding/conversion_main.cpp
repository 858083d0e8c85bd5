// Registers the environment that points ICU at the build's host converters.
#include "tests/encoding/conversion_fixture.h"

namespace {
const testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new HostConverterEnvironment);
}  // namespace
