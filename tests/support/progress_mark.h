#pragma once

// How far a test program got, for tools/wine-run, which reads it after the
// program ended, whatever Wine made of its exit status. The program appends
// one line per step to the file named in VANTOREL_PROGRESS_MARK:
//   initializers        its earliest static constructor ran
//   main                its main began
//   test Suite.Name     a test started
//   after Suite.Name    that test ended
//   finished            all its tests ran and main is returning
// The last line tells where it ended: no file at all means Wine never ran any
// code of ours (a start failure worth one more try), "initializers" a death in
// a static initializer, anything short of "finished" an early end.
void MarkProgress(const char* step, const char* name = nullptr);
