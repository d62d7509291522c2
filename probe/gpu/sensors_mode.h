#pragma once

// Mode 7: the card's sensor readings about once a second, with no load and no
// device, until the host stops us. Returns 1, or 4 after an error line.
int RunSensorsMode();
