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
// our RoInitialize; the check must go on to the Store's answer, with no error
// text for the apartment, and must not undo an initialisation that was never ours.
TEST(StoreBridgeStoreCheck, LeavesAnApartmentItDidNotEnterAsItFoundIt) {
  KeepDesktopOffOurStderr();
  // The test prefix's stand-in Store (tools/store_standin) answers in this process.
  SetEnvironmentVariableW(L"VANTOREL_STORE_STANDIN", L"noupdate");
  std::thread caller([] {
    ASSERT_TRUE(SUCCEEDED(RoInitialize(RO_INIT_MULTITHREADED)));
    ResultSlot slot;
    InitResultSlot(slot);
    RunStoreCheck(slot, GetTickCount64() + 10000);
    EXPECT_STREQ(slot.text, L"NOUPDATE");
    EXPECT_EQ(ResultCode(slot), 1);

    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    EXPECT_EQ(CoGetApartmentType(&type, &qualifier), S_OK);
    EXPECT_EQ(type, APTTYPE_MTA);
    RoUninitialize();
    DeleteCriticalSection(&slot.lock);
  });
  caller.join();
  SetEnvironmentVariableW(L"VANTOREL_STORE_STANDIN", nullptr);
}

}  // namespace
