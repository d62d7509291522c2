#pragma once

// The one rule by which the stress modes pick among forms of the same work
// after timing each on the buffers they are about to use: the shortest time
// wins; of equal times the first; a time of 0 or less means the form was not
// timed (it does not run here) and never wins. Returns -1 when none was timed.
int FastestTimedForm(const double* seconds, int count);

// Times work(form, piece) for every form that runs (runs(form)), one form
// after the other over all pieces of the buffers (each after one untimed pass
// of its own), rounds times, and gives each
// form the sum over the pieces of that piece's best time; 0 for a form that
// does not run. A short piece is rarely stopped by other work on a busy
// machine, and a piece stopped once still has its best of the other rounds,
// so the sums compare the forms' own speeds. The buffers must be larger than
// the caches for the pieces to be timed at the memory's speed.
template <int kForms, int kPieces, typename Runs, typename Work>
void TimeFormsInPieces(double (&seconds)[kForms], int rounds, double (*now)(), Runs runs, Work work) {
  double best[kForms][kPieces] = {};
  for (int round = 0; round < rounds; ++round) {
    for (int form = 0; form < kForms; ++form) {
      if (!runs(form)) continue;
      // One untimed pass first: what the form before left in the caches (lines
      // still to be written back) would otherwise be paid by this one, and a
      // form that leaves such lines would look faster than it is.
      for (int piece = 0; piece < kPieces; ++piece) work(form, piece);
      for (int piece = 0; piece < kPieces; ++piece) {
        const double t0 = now();
        work(form, piece);
        const double taken = now() - t0;
        if (taken > 0 && (best[form][piece] == 0 || taken < best[form][piece])) best[form][piece] = taken;
      }
    }
  }
  for (int form = 0; form < kForms; ++form) {
    double sum = 0;
    bool everyPiece = true;  // a piece never timed leaves the form untimed
    for (int piece = 0; piece < kPieces; ++piece) {
      everyPiece = everyPiece && best[form][piece] > 0;
      sum += best[form][piece];
    }
    seconds[form] = everyPiece ? sum : 0;
  }
}
