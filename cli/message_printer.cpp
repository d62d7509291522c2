#include "cli/message_printer.h"

#include "cli/console_output.h"

void MessagePrinter::Flush() {
  WriteOutUtf8(pending);
  pending.clear();
}

void MessagePrinter::Handle(const PipeMessage& message) {
  switch (message.type) {
    case kOutputMessage:
      if (pending.empty()) ClearStatusLine();
      AppendCleanUtf8(pending, message.payload);
      break;
    case kStatusMessage:
      Flush();
      ShowStatusLine(Utf8ToWide(message.payload));
      break;
    case kExitMessage:
      result = ParseExitPayload(message.payload);
      break;
    default:
      break;
  }
}

bool PrintReceived(MessageReader& reader, MessagePrinter& printer, const char* bytes, size_t count) {
  reader.Append(bytes, count);
  PipeMessage message;
  while (reader.Next(message)) printer.Handle(message);
  printer.Flush();
  return !reader.Broken() && printer.result < 0;
}
