// The link tests' program holds the host-wide lock of the link ports for its whole run.
#include "link_fixture.h"

#include "support/link_ports_lock.h"

#include <gtest/gtest.h>

namespace corvane_test {
namespace {

// Every test of this program binds link or machine ports: each holds the host-wide lock of
// those ports for its whole run.
[[maybe_unused]] ::testing::Environment* const g_linkPortsEnvironment =
    ::testing::AddGlobalTestEnvironment(new LinkPortsEnvironment);

}  // namespace
}  // namespace corvane_test
