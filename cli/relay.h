#pragma once

// The whole of vantorel-cli: shows the help, or starts the host with a private
// pipe, prints what it sends and returns the process exit code.
int RunCli();
