#include "cli/host_connection.h"

bool IsHostConnection(const PipeConnection& connection) {
  if (!connection.hostProcess) return true;
  return connection.clientKnown && connection.hostProcessId != 0 &&
         connection.clientProcessId == connection.hostProcessId;
}
