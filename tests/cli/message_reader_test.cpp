#include "cli/message_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "cli/console_output.h"
#include "cli/message_printer.h"
#include "tests/support/hostile_input.h"
#include "tests/support/unique_handle.h"
#include "tools/standin_host/host_messages.h"

namespace {

struct Taken {
  char type;
  std::string payload;
  bool operator==(const Taken&) const = default;
};

std::vector<Taken> TakeAll(MessageReader& reader) {
  std::vector<Taken> taken;
  PipeMessage message;
  while (reader.Next(message)) taken.push_back({message.type, std::string(message.payload)});
  return taken;
}

const std::string kStream = Message('S', "working") + Message('O', "line 1\n") + Message('Q', "skip me") +
                            Message('O', "") + Message('O', std::string(300, 'z')) + Message('X', "0");
const std::vector<Taken> kExpected = {
    {'S', "working"}, {'O', "line 1\n"}, {'Q', "skip me"}, {'O', ""}, {'O', std::string(300, 'z')}, {'X', "0"}};

// Catches framing that loses or garbles a message when the pipe splits it anywhere.
TEST(MessageReader, AssemblesTheStreamSplitAtAnyByte) {
  for (size_t split = 0; split <= kStream.size(); ++split) {
    SCOPED_TRACE(split);
    MessageReader reader;
    reader.Append(kStream.data(), split);
    std::vector<Taken> taken = TakeAll(reader);
    reader.Append(kStream.data() + split, kStream.size() - split);
    for (Taken& t : TakeAll(reader)) taken.push_back(t);
    EXPECT_EQ(taken, kExpected);
    EXPECT_EQ(reader.Buffered(), 0u);
  }
  MessageReader bytewise;
  std::vector<Taken> taken;
  for (char byte : kStream) {
    bytewise.Append(&byte, 1);
    for (Taken& t : TakeAll(bytewise)) taken.push_back(t);
  }
  EXPECT_EQ(taken, kExpected);
}

// Catches a reader that moves the whole buffer per message: 400,000 tiny
// messages in one read would then cost minutes instead of milliseconds.
TEST(MessageReader, ManyMessagesInOneReadStayLinear) {
  std::string stream;
  const size_t count = 400000;
  for (size_t i = 0; i < count; ++i) stream += Message('O', "x");
  const auto started = std::chrono::steady_clock::now();
  MessageReader reader;
  size_t taken = 0;
  for (size_t at = 0; at < stream.size(); at += 8192) {  // as the relay reads it
    reader.Append(stream.data() + at, std::min<size_t>(8192, stream.size() - at));
    PipeMessage message;
    while (reader.Next(message)) taken += message.payload == "x";
  }
  MessageReader oneRead;
  oneRead.Append(stream.data(), stream.size());
  PipeMessage message;
  while (oneRead.Next(message)) taken += message.payload == "x";
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_EQ(taken, 2 * count);
  EXPECT_LT(seconds, 2.0);
}

// Catches an off-by-one at the payload limit.
TEST(MessageReader, AcceptsExactlyTheLimitAndBreaksAboveIt) {
  MessageReader reader;
  const std::string largest = Message('O', std::string(kMaxPayloadBytes, 'a'));
  reader.Append(largest.data(), largest.size());
  PipeMessage message;
  ASSERT_TRUE(reader.Next(message));
  EXPECT_EQ(message.payload.size(), 16777216u);
  EXPECT_FALSE(reader.Broken());

  std::string tooLarge = Header('O', kMaxPayloadBytes + 1);
  reader.Append(tooLarge.data(), tooLarge.size());
  EXPECT_FALSE(reader.Next(message));
  EXPECT_TRUE(reader.Broken());
  // Nothing after a broken length can be trusted, even a well-formed exit message.
  const std::string exit = Message('X', "0");
  reader.Append(exit.data(), exit.size());
  EXPECT_FALSE(reader.Next(message));
  EXPECT_TRUE(reader.Broken());
}

// Catches exit codes taken from malformed payloads instead of the failure code 4.
TEST(ParseExitPayload, AcceptsOneToThreeDigitsUpTo255) {
  struct Case {
    const char* payload;
    int result;
  } cases[] = {{"0", 0},    {"007", 7}, {"255", 255}, {"2", 2},    {"99", 99}, {"256", 4},
               {"999", 4},  {"1234", 4}, {"7a", 4},   {"", 4},     {" 7", 4},  {"-1", 4}, {"0000", 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.payload);
    EXPECT_EQ(ParseExitPayload(c.payload), c.result);
  }
}

// Strictly well-formed UTF-8: no stray or missing continuation bytes, no
// overlong forms, no encoded surrogates, nothing past U+10FFFF.
bool WellFormedUtf8(const std::string& bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    size_t length = 0;
    uint32_t lowest = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, lowest = 0x10000;
    } else {
      return false;
    }
    if (i + length > bytes.size()) return false;
    uint32_t c = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = c << 6 | (next & 0x3F);
    }
    if (c < lowest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

// What a malformed payload must print as: the system's decoding of it
// (malformed sequences become U+FFFD), back in UTF-8.
std::string SystemCleaned(const std::string& payload) {
  const int units = MultiByteToWideChar(CP_UTF8, 0, payload.data(), static_cast<int>(payload.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(units > 0 ? units : 0), L'\0');
  if (units > 0) MultiByteToWideChar(CP_UTF8, 0, payload.data(), static_cast<int>(payload.size()), text.data(), units);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                        nullptr);
  std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
  }
  return utf8;
}

struct ExitPayload {
  std::string text;
  int result;
};

ExitPayload GeneratedExitPayload(HostileRandom& random) {
  if (random.OneIn(2)) {
    const size_t digits = random.Between(1, 3);
    std::string text;
    int value = 0;
    for (size_t i = 0; i < digits; ++i) {
      const int digit = static_cast<int>(random.Below(10));
      text += static_cast<char>('0' + digit);
      value = value * 10 + digit;
    }
    return {text, value <= 255 ? value : 4};
  }
  return random.Pick<ExitPayload>({{"0", 0},     {"007", 7},   {"255", 255}, {"256", 4},   {"999", 4},
                                   {"", 4},      {"7a", 4},    {" 7", 4},    {"7\n", 4},   {"0000", 4},
                                   {"1234", 4},  {"-1", 4},    {"+1", 4},    {"\xd9\xa3", 4}, {std::string(1, '\0'), 4},
                                   {std::string("1\0", 2), 4}, {std::string(70000, '1'), 4}});
}

// A payload of text around a length bound: well-formed characters, now and then
// malformed UTF-8 or UTF-16 bytes sent by mistake, NUL bytes included. Long
// payloads repeat a generated piece, which keeps thousands of cases quick.
std::string GeneratedText(HostileRandom& random, bool crowded) {
  const size_t rareBound = random.OneIn(10) ? 65536 : 300;
  const size_t length = crowded           ? random.Below(64)
                        : random.OneIn(3) ? random.NearBound({1, 5, 8187, 8192, 8197, rareBound})
                                          : random.Below(64);
  const size_t malformedOneIn = random.Pick<size_t>({2, 10, 1000000});
  std::string piece;
  while (piece.size() < std::min<size_t>(length, 256)) {
    if (random.OneIn(malformedOneIn)) {
      piece += random.MalformedUtf8();
    } else if (random.OneIn(40)) {
      const wchar_t unit = random.HostileUnit()[0];  // a UTF-16 unit as the host may have sent it
      piece += static_cast<char>(unit & 0xFF);
      piece += static_cast<char>(unit >> 8);
    } else {
      piece += random.WellFormedUtf8();
    }
  }
  std::string text;
  text.reserve(length + piece.size());
  while (text.size() < length) text += piece;
  text.resize(length);  // the cut may split a character: the next message must not suffer
  return text;
}

// Streams the host never should send: unknown types, empty payloads and ones
// around the read size, a message of the largest length that never comes
// whole, malformed UTF-8 and UTF-16 bytes, exit payloads of every shape, a
// stream cut inside a message and a length past the limit followed by
// messages that must not count (the limit itself is exact in
// AcceptsExactlyTheLimitAndBreaksAboveIt); all of it split into reads
// of every size, as the relay reads the pipe. What the relay prints must be the
// output payloads as they came when well-formed and as the system decodes them
// when not, always well-formed UTF-8; the run result is the last exit message
// of the read that brought the first one; nothing after a broken length and
// nothing of a message cut short is taken.
TEST(MessageReader, HostileStreams) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring path = std::wstring(temp) + L"vantorel-hostile-stream.txt";
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  ASSERT_TRUE(file);
  struct Restore {
    ~Restore() { InitConsoleOutput(INVALID_HANDLE_VALUE); }
  } restore;

  const uint64_t seed = HostileSeed();
  const size_t kCases = HostileCaseCount(3000);
  for (size_t index = 0; index < kCases; ++index) {
    const std::string caseName = HostileCaseName(seed, index);
    SCOPED_TRACE(caseName);
    CaseNote::Set(caseName.c_str());  // a crash in the code under test names the case
    HostileRandom random(seed, index);

    // The stream, and where each message ends in it.
    struct Sent {
      char type;
      std::string payload;
      int result;  // exit messages: the run result they carry
      size_t end;
    };
    std::vector<Sent> sent;
    std::string stream;
    const bool crowded = random.OneIn(20);
    const size_t count = crowded ? random.Between(100, 2000) : random.Below(12);
    for (size_t i = 0; i < count; ++i) {
      Sent message{random.Pick({kOutputMessage, kOutputMessage, kStatusMessage, kExitMessage, 'Q', 'o', '\0', '\xff'}),
                   "", -1, 0};
      if (message.type == kExitMessage && random.OneIn(2)) {
        const ExitPayload exit = GeneratedExitPayload(random);
        message.payload = exit.text;
        message.result = exit.result;
      } else {
        message.payload = GeneratedText(random, crowded);
        // Hostile text that ends in a letter is never the host's code.
        if (message.type == kExitMessage) {
          message.payload += 'x';
          message.result = 4;
        }
      }
      stream += Message(message.type, message.payload);
      message.end = stream.size();
      sent.push_back(std::move(message));
    }
    // How the stream ends: whole, cut inside its last message (or its header),
    // a message of the largest length that never comes whole, or a length past
    // the limit with well-formed messages after it.
    size_t brokenAt = std::string::npos;
    const size_t ending = random.Below(4);
    if (ending == 1 && !sent.empty()) {
      const size_t start = sent.size() > 1 ? sent[sent.size() - 2].end : 0;
      stream.resize(start + random.Below(sent.back().end - start));
    } else if (ending == 3) {
      stream += Header(random.Pick({kOutputMessage, kExitMessage}),
                       kMaxPayloadBytes - static_cast<uint32_t>(random.Below(2)));
      stream += std::string(random.Below(20000), 'p') + Message(kExitMessage, "0");
    } else if (ending == 2) {
      brokenAt = stream.size();
      stream += Header(random.Pick<char>({kOutputMessage, kExitMessage, 'Q'}),
                       random.Pick<uint32_t>({kMaxPayloadBytes + 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF}));
      stream += Message(kOutputMessage, "after the break") + Message(kExitMessage, "0");
    }

    // What must come out: the relay stops after the read that completes the
    // first exit message or the broken header.
    std::vector<size_t> reads;  // end offsets of the reads
    // Reads of a few bytes split every header and character; on long streams they would only cost time.
    const size_t largestRead = stream.size() > 4000 ? 8192 : random.Pick<size_t>({5, 64, 8192, 8192});
    for (size_t at = 0; at < stream.size();) {
      const size_t size = random.OneIn(2) ? largestRead : random.Between(1, largestRead);
      at = std::min(stream.size(), at + size);
      reads.push_back(at);
    }
    size_t stopAt = stream.size();
    for (const Sent& message : sent) {
      if (message.type == kExitMessage && message.end <= stream.size()) {
        stopAt = message.end;
        break;
      }
    }
    if (brokenAt != std::string::npos) stopAt = std::min(stopAt, brokenAt + kMessageHeaderBytes);
    size_t lastRead = stream.size();
    for (size_t end : reads) {
      if (end >= stopAt) {
        lastRead = end;
        break;
      }
    }
    std::string expectedOutput;
    int expectedResult = -1;
    for (const Sent& message : sent) {
      if (message.end > lastRead || message.end > std::min(stream.size(), brokenAt)) break;
      if (message.type == kOutputMessage) {
        expectedOutput += WellFormedUtf8(message.payload) ? message.payload : SystemCleaned(message.payload);
      } else if (message.type == kExitMessage) {
        expectedResult = message.result;
      }
    }

    ASSERT_NE(SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    ASSERT_TRUE(SetEndOfFile(file.Get()));
    InitConsoleOutput(file.Get());
    MessageReader reader;
    MessagePrinter printer;
    size_t taken = 0;
    size_t readsMade = 0;
    for (size_t end : reads) {
      ++readsMade;
      const bool goOn = PrintReceived(reader, printer, stream.data() + taken, end - taken);
      taken = end;
      if (!goOn) break;
    }
    InitConsoleOutput(INVALID_HANDLE_VALUE);

    std::string printed(GetFileSize(file.Get(), nullptr), '\0');
    ASSERT_NE(SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    DWORD got = 0;
    ASSERT_TRUE(printed.empty() ||
                ReadFile(file.Get(), printed.data(), static_cast<DWORD>(printed.size()), &got, nullptr));
    EXPECT_EQ(taken, lastRead) << "stopped reading after " << readsMade << " of " << reads.size() << " reads";
    EXPECT_EQ(printer.result, expectedResult);
    EXPECT_EQ(reader.Broken(), brokenAt != std::string::npos && lastRead >= brokenAt + kMessageHeaderBytes);
    if (printer.result < 0 && !reader.Broken()) {  // the stream ran out: an unfinished message waits whole
      size_t complete = 0;
      for (const Sent& message : sent) {
        if (message.end <= stream.size()) complete = message.end;
      }
      EXPECT_EQ(reader.Buffered(), stream.size() - complete);
    }
    EXPECT_TRUE(WellFormedUtf8(printed)) << "printed bytes are not well-formed UTF-8";
    EXPECT_EQ(printed.size(), expectedOutput.size());
    EXPECT_TRUE(printed == expectedOutput) << "printed text differs from the output messages";
    if (HasFailure()) break;
  }
}

}  // namespace
