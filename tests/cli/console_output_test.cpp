#include "cli/console_output.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/unique_handle.h"

namespace {

// Catches a status line that wraps, spreads over several lines or leaves old text behind.
TEST(ComposeStatusLine, FitsOneLineAndCoversTheOldOne) {
  struct Case {
    const wchar_t* name;
    std::wstring text;
    int width;
    size_t oldLength;
    std::wstring drawn;
    size_t newLength;
  } cases[] = {
      {L"fits", L"Copying", 80, 0, L"\rCopying\r", 7},
      {L"cut one short of the width", L"0123456789", 8, 0, L"\r0123456\r", 7},
      {L"exactly width-1", L"0123456", 8, 0, L"\r0123456\r", 7},
      {L"controls become spaces", L"a\tb\r\nc", 80, 0, L"\ra b  c\r", 6},
      {L"other controls stay", L"a\x1b" L"b", 80, 0, L"\ra\x1b" L"b\r", 3},
      {L"shorter after longer", L"ab", 80, 5, L"\rab   \r", 2},
      {L"longer after shorter", L"abcd", 80, 2, L"\rabcd\r", 4},
      {L"width 1 is not cut", L"abc", 1, 0, L"\rabc\r", 3},
      {L"no pair is split", L"ab\xD83D\xDE00", 4, 0, L"\rab\r", 2},
      {L"empty after a line", L"", 80, 3, L"\r   \r", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    size_t newLength = 99;
    EXPECT_EQ(ComposeStatusLine(c.text, c.width, c.oldLength, &newLength), c.drawn);
    EXPECT_EQ(newLength, c.newLength);
  }
}

struct Redirected {
  UniqueHandle read, write;
  Redirected() {
    HANDLE r = nullptr, w = nullptr;
    CreatePipe(&r, &w, nullptr, 1 << 20);
    read.Reset(r);
    write.Reset(w);
    InitConsoleOutput(write.Get());
  }
  ~Redirected() { InitConsoleOutput(INVALID_HANDLE_VALUE); }
  std::string Bytes() {
    write.Reset();
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(read.Get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
    return bytes;
  }
};

// Catches a byte-order mark, a translated line break or status text in redirected output.
TEST(ConsoleOutput, RedirectedOutputIsPlainUtf8WithoutStatus) {
  Redirected out;
  EXPECT_FALSE(OutputIsConsole());
  ShowStatusLine(L"progress");
  WriteOut(L"gr\x00fc\x00df " L"\x65e5\x672c\n");
  ShowStatusLine(L"more progress");
  ClearStatusLine();
  PrintMessage(L"done");
  WriteOut(L"");
  EXPECT_EQ(out.Bytes(), "gr\xc3\xbc\xc3\x9f \xe6\x97\xa5\xe6\x9c\xac\ndone\n");
}

// Catches a crash or a stray write when there is no usable output handle.
TEST(ConsoleOutput, NoOutputHandleWritesNothing) {
  for (HANDLE handle : {INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr)}) {
    InitConsoleOutput(handle);
    EXPECT_FALSE(OutputIsConsole());
    WriteOut(L"x");
    PrintMessage(L"y");
    ShowStatusLine(L"z");
    ClearStatusLine();
  }
}

// Catches malformed UTF-8 from the host being dropped or cut off instead of shown as U+FFFD.
TEST(Utf8ToWide, ConvertsAndReplacesMalformedBytes) {
  EXPECT_EQ(Utf8ToWide(""), L"");
  EXPECT_EQ(Utf8ToWide("a\xc3\xa9z"), L"a\x00e9z");
  EXPECT_EQ(Utf8ToWide("a\xff" "b"), L"a\xfffd" L"b");
  EXPECT_EQ(Utf8ToWide("\xf0\x9f\x98\x80"), L"\xD83D\xDE00");
}

// Catches the shortcut for well-formed output letting malformed bytes through,
// or changing well-formed text, against the plain decode-and-encode path.
TEST(AppendCleanUtf8, MatchesDecodingAndEncodingEachPayload) {
  const std::string cases[] = {"",
                               "plain ascii, longer than eight bytes\n",
                               "gr\xc3\xbc\xc3\x9f \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80",
                               "bad \xff byte",
                               "cut \xe6\x97",
                               "\xed\xa0\x80 encoded surrogate",
                               "0123456\x80"};
  for (const std::string& payload : cases) {
    SCOPED_TRACE(testing::PrintToString(payload));
    std::string clean = "kept:";
    AppendCleanUtf8(clean, payload);

    Redirected out;
    WriteOut(L"kept:" + Utf8ToWide(payload));
    EXPECT_EQ(clean, out.Bytes());
  }
}

// Catches well-formed output altered on its way to a redirected file.
TEST(WriteOutUtf8, WritesRedirectedTextUnchanged) {
  Redirected out;
  WriteOutUtf8("a\xc3\xa9\n");
  WriteOutUtf8("");
  EXPECT_EQ(out.Bytes(), "a\xc3\xa9\n");
}

}  // namespace
