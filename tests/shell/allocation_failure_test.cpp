// Out of memory inside a COM call must come back as a result, never as an
// exception or a crash.
#include <gtest/gtest.h>
#include <shobjidl.h>

#include "shell/factory.h"
#include "shell/root_command.h"
#include "shell/server_counts.h"
#include "tests/support/failing_allocation.h"

namespace {

// Catches a missing null check (a crash) or a success reported without an object.
TEST(ShellAllocation, FailuresComeBackAsResults) {
  void* object = reinterpret_cast<void*>(1);
  {
    FailAfter fail(0);
    EXPECT_EQ(Factory::instance.CreateInstance(nullptr, IID_IExplorerCommand, &object), E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);
  }
  EXPECT_FALSE(ServerInUse());

  ASSERT_EQ(Factory::instance.CreateInstance(nullptr, IID_IExplorerCommand, &object), S_OK);
  auto* root = static_cast<IExplorerCommand*>(object);
  IEnumExplorerCommand* tools = reinterpret_cast<IEnumExplorerCommand*>(1);
  {
    FailAfter fail(0);
    EXPECT_EQ(root->EnumSubCommands(&tools), E_OUTOFMEMORY);
    EXPECT_EQ(tools, nullptr);
  }
  ASSERT_EQ(root->EnumSubCommands(&tools), S_OK);

  // Two of seven succeed: Next hands those over and says it fell short.
  IExplorerCommand* commands[7] = {};
  ULONG fetched = 99;
  {
    FailAfter fail(2);
    EXPECT_EQ(tools->Next(7, commands, &fetched), S_FALSE);
  }
  EXPECT_EQ(fetched, 2u);
  for (ULONG i = 0; i < fetched; ++i) commands[i]->Release();
  // The failed entry was not skipped: the rest still come.
  EXPECT_EQ(tools->Next(7, commands, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 5u);
  for (ULONG i = 0; i < fetched; ++i) commands[i]->Release();

  tools->Release();
  root->Release();
  EXPECT_FALSE(ServerInUse());
}

}  // namespace
