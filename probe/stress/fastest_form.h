#pragma once

// The one rule by which the stress modes pick among forms of the same work
// after timing each on the buffers they are about to use: the shortest time
// wins; of equal times the first; a time of 0 or less means the form was not
// timed (it does not run here) and never wins. Returns -1 when none was timed.
int FastestTimedForm(const double* seconds, int count);
