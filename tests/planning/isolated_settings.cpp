#include "support/isolated_settings.h"

namespace {

// Registered before the tests run; gtest owns and deletes it.
[[maybe_unused]] ::testing::Environment* const theIsolatedSettings =
    ::testing::AddGlobalTestEnvironment(new testsupport::IsolatedSettings);

}  // namespace
