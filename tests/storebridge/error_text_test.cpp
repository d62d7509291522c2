#include <gtest/gtest.h>

#include <regex>

#include "storebridge/error_text.h"
#include "tests/support/utf8.h"

namespace {

TEST(StoreBridgeErrorText, SystemMessageBecomesOneTrimmedLine) {
  struct Case {
    const wchar_t* message;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"Access is denied.\r\n", L"Access is denied."},
      {L"  First line.\r\nSecond line.  \r\n", L"First line.  Second line."},
      {L"\r\n\r\n", L""},
      {L"Tabs\tstay", L"Tabs\tstay"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.message));
    EXPECT_EQ(OneLineMessage(c.message), c.expected);
  }
}

TEST(StoreBridgeErrorText, IsTheMessageThenTheHresultInEightUpperCaseDigits) {
  // A code no system message table knows.
  EXPECT_EQ(ErrorTextFor(static_cast<HRESULT>(0x8DEADBEF)), L"Exception from HRESULT (0x8DEADBEF)");

  const std::wstring denied = ErrorTextFor(E_ACCESSDENIED);
  SCOPED_TRACE(ToUtf8(denied));
  EXPECT_TRUE(std::regex_match(ToUtf8(denied), std::regex(R"(\S.*\S \(0x80070005\))")));
  EXPECT_EQ(denied.find_first_of(L"\r\n"), std::wstring::npos);
  const std::wstring small = ErrorTextFor(S_FALSE);
  EXPECT_EQ(small.substr(small.size() - 13), L" (0x00000001)");
}

TEST(StoreBridgeErrorText, IsStoredWithCodeThreeOnlyWhileNothingElseIs) {
  ResultSlot slot;
  InitResultSlot(slot);
  StoreErrorResult(slot, static_cast<HRESULT>(0x8DEADBEF));
  EXPECT_STREQ(slot.text, L"ERROR:Exception from HRESULT (0x8DEADBEF)");
  EXPECT_EQ(ResultCode(slot), 3);
  StoreErrorResult(slot, E_ACCESSDENIED);
  EXPECT_STREQ(slot.text, L"ERROR:Exception from HRESULT (0x8DEADBEF)");

  ResultSlot timedOut;
  InitResultSlot(timedOut);
  StoreResult(timedOut, kResultTimeout, kExitTimeout);
  StoreErrorResult(timedOut, static_cast<HRESULT>(0x800705B4));
  EXPECT_STREQ(timedOut.text, L"ERROR:timeout");
  EXPECT_EQ(ResultCode(timedOut), 6);
  DeleteCriticalSection(&slot.lock);
  DeleteCriticalSection(&timedOut.lock);
}

}  // namespace
