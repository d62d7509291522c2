#include "cli/message_reader.h"

#include <cstring>

void MessageReader::Append(const void* bytes, size_t count) {
  if (broken_ || count == 0) return;
  // Drop what was taken out before growing. Only a tail no longer than the
  // dropped part is moved, so framing stays linear in the bytes received.
  if (start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  } else if (start_ > 0 && start_ >= buffer_.size() / 2) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
  }
  const char* first = static_cast<const char*>(bytes);
  buffer_.insert(buffer_.end(), first, first + count);
}

bool MessageReader::Next(PipeMessage& message) {
  if (broken_ || Buffered() < kMessageHeaderBytes) return false;
  const unsigned char* header = reinterpret_cast<const unsigned char*>(buffer_.data() + start_);
  const uint32_t length = static_cast<uint32_t>(header[1]) | static_cast<uint32_t>(header[2]) << 8 |
                          static_cast<uint32_t>(header[3]) << 16 | static_cast<uint32_t>(header[4]) << 24;
  if (length > kMaxPayloadBytes) {
    broken_ = true;
    buffer_.clear();
    buffer_.shrink_to_fit();
    start_ = 0;
    return false;
  }
  if (Buffered() < kMessageHeaderBytes + length) return false;
  message.type = static_cast<char>(header[0]);
  message.payload = std::string_view(buffer_.data() + start_ + kMessageHeaderBytes, length);
  start_ += kMessageHeaderBytes + length;
  return true;
}

int ParseExitPayload(std::string_view payload) {
  if (payload.empty() || payload.size() > 3) return 4;
  int value = 0;
  for (char c : payload) {
    if (c < '0' || c > '9') return 4;
    value = value * 10 + (c - '0');
  }
  return value <= 255 ? value : 4;
}
