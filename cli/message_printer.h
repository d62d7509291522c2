#pragma once

#include <cstddef>
#include <string>

#include "cli/message_reader.h"

// What the relay does with the host's messages, read by read: output messages
// are printed, status messages drawn on the status line, the exit message
// gives the run result, other types are skipped.
struct MessagePrinter {
  // Output messages that follow each other go out in one write: the text is the
  // same as one write per message (each payload is still checked on its own),
  // but a stream of small messages no longer costs a system call each.
  std::string pending;
  int result = -1;  // the run result; -1 until an exit message came

  void Handle(const PipeMessage& message);
  void Flush();
};

// One read's bytes: appended to the reader, then every complete message handled
// in order (also those after an exit message) and the output flushed. False
// when the relay must stop reading: the stream broke or the run result came.
bool PrintReceived(MessageReader& reader, MessagePrinter& printer, const char* bytes, size_t count);
