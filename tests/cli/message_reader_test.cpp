#include "cli/message_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

// A header alone, declaring length bytes that never come.
std::string Header(char type, uint32_t length) {
  std::string bytes(1, type);
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((length >> shift) & 0xff);
  return bytes;
}

std::string Message(char type, const std::string& payload) {
  return Header(type, static_cast<uint32_t>(payload.size())) + payload;
}

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

}  // namespace
