// Which pipe client the CLI takes for the host it started.
#include <gtest/gtest.h>

#include "cli/host_connection.h"

namespace {

// Catches a client taken for the host although its process is not the host's,
// or although one of the two ids could not be read, and the host refused when
// the launch gave no process to compare with.
TEST(IsHostConnection, OnlyTheHostsOwnProcessWhenThereIsOne) {
  struct Case {
    const char* name;
    PipeConnection connection;
    bool host;
  } cases[] = {
      {"the host's process", {true, 4242, true, 4242}, true},
      {"another process", {true, 4242, true, 4243}, false},
      {"client unknown", {true, 4242, false, 0}, false},
      {"client unknown, id left matching", {true, 4242, false, 4242}, false},
      {"host id unreadable", {true, 0, true, 0}, false},
      {"no host process: the launch alone decides", {false, 0, true, 4243}, true},
      {"no host process, client unknown", {false, 0, false, 0}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsHostConnection(c.connection), c.host);
  }
}

}  // namespace
