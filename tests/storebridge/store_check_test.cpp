#include <gtest/gtest.h>

#include <objbase.h>
#include <roapi.h>

#include <thread>

#include "storebridge/result_slot.h"
#include "storebridge/update_check.h"
#include "tests/storebridge/quiet_desktop.h"
#include "tests/support/utf8.h"

namespace {

// A caller already in the multithreaded apartment gets RPC_E_CHANGED_MODE from
// our RoInitialize; the check must go on and must not undo an
// initialisation that was never ours.
TEST(StoreBridgeStoreCheck, LeavesAnApartmentItDidNotEnterAsItFoundIt) {
  KeepDesktopOffOurStderr();
  std::thread caller([] {
    ASSERT_TRUE(SUCCEEDED(RoInitialize(RO_INIT_MULTITHREADED)));
    ResultSlot slot;
    InitResultSlot(slot);
    RunStoreCheck(slot, GetTickCount64() + 10000);
    // The Store was asked (Wine has none), so some answer other than unknown is stored.
    EXPECT_TRUE(ResultIsSet(slot)) << ToUtf8(slot.text);

    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    EXPECT_EQ(CoGetApartmentType(&type, &qualifier), S_OK);
    EXPECT_EQ(type, APTTYPE_MTA);
    RoUninitialize();
    DeleteCriticalSection(&slot.lock);
  });
  caller.join();
}

}  // namespace
