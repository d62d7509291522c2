#pragma once

#include <new>

#include "probe/tracing/trace_session.h"

// The state a tracing mode's event callback shares with its sampler. The run
// makes it, but the consumer thread reaches it through UserContext, so the
// session decides when it may go: at the end of the run it is freed unless a
// consumer of the session may still call back (one the stop abandoned, or one
// never stopped), and then it is left to process exit. No mode frees it.
//
//   TraceSession session;                        // first: it outlives the state
//   ConsumerState<LatencyState> state(session);  // null when out of memory
//   StartKernelTrace(session, flags, Callback, state.get());
//   ...
//   StopTraceSession(session);
template <class State>
class ConsumerState {
 public:
  explicit ConsumerState(const TraceSession& session) : session_(session), state_(new (std::nothrow) State) {}
  ~ConsumerState() {
    if (!ConsumerMayCallBack(session_)) delete state_;
  }
  ConsumerState(const ConsumerState&) = delete;
  ConsumerState& operator=(const ConsumerState&) = delete;

  explicit operator bool() const { return state_ != nullptr; }
  State* get() const { return state_; }
  State& operator*() const { return *state_; }
  State* operator->() const { return state_; }

 private:
  const TraceSession& session_;
  State* const state_;
};
