#include "cli/relay.h"

int wmain() { return RunCli(); }
