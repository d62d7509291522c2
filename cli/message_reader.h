#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The host's messages: a type letter, a 32-bit little-endian payload length and
// the payload, back to back with nothing in between.
inline constexpr char kOutputMessage = 'O';
inline constexpr char kStatusMessage = 'S';
inline constexpr char kExitMessage = 'X';
inline constexpr size_t kMessageHeaderBytes = 5;
inline constexpr uint32_t kMaxPayloadBytes = 16777216;

struct PipeMessage {
  char type = 0;
  std::string_view payload;  // valid until the next Append
};

// Collects the bytes of the pipe and cuts them into messages. A length over
// the limit breaks it for good: nothing after it can be framed reliably.
class MessageReader {
 public:
  void Append(const void* bytes, size_t count);
  // Takes out the next complete message; false when none is complete yet.
  bool Next(PipeMessage& message);
  bool Broken() const { return broken_; }
  size_t Buffered() const { return buffer_.size() - start_; }

 private:
  std::vector<char> buffer_;
  size_t start_ = 0;  // taken-out messages are dropped lazily, so many small ones stay cheap
  bool broken_ = false;
};

// The run result an exit message carries: 0..255, or 4 when it is not one to
// three decimal digits of at most 255.
int ParseExitPayload(std::string_view payload);
