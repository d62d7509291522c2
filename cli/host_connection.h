#pragma once

#include <windows.h>

// What we know, once the pipe is connected, of both ends. A client that was
// already connected when the host was about to be started never gets this far.
struct PipeConnection {
  bool hostProcess = false;  // the launch gave us a handle to the host's process
  DWORD hostProcessId = 0;   // its id; 0 when it could not be read
  bool clientKnown = false;  // GetNamedPipeClientProcessId succeeded
  DWORD clientProcessId = 0;
};

// Whether the pipe's client is the host we started. With the host's process
// in hand, only that process is the host; a client or host whose id cannot be
// read is refused. Without one, the launch is all we can go by: the client
// connected after we began to start the host.
bool IsHostConnection(const PipeConnection& connection);
