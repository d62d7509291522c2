#pragma once

// The host's messages on the pipe to vantorel-cli as bytes: a type letter, the
// payload length as four bytes little-endian, the payload. The stand-in host
// writes them, and the CLI's reader tests build their streams from them.

#include <cstdint>
#include <string>

// A header alone: the type letter and a payload length, which may be a lie.
inline std::string Header(char type, uint32_t length) {
  std::string bytes(1, type);
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((length >> shift) & 0xff);
  return bytes;
}

inline std::string Message(char type, const std::string& payload) {
  return Header(type, static_cast<uint32_t>(payload.size())) + payload;
}
