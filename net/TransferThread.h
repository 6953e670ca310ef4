// Every HTTP transfer runs on a thread of its own that starts no thread itself, and
// the thread that asked for it does no socket work.
//
// Why: 32-bit Wine under qemu's user-mode emulation (how the players' build is run
// on Linux machines) breaks a thread's socket I/O once that thread has started
// another thread: its next socket call ends the process ("wine client error: write:
// Bad file descriptor", then a segmentation fault). A thread start elsewhere in the
// process while a transfer goes on breaks that transfer too, so nothing of the
// engine starts a thread while one of its transfers runs. The engine's thread starts
// the record fetch's thread, so it leaves its own transfers to fresh threads.
// See tests/emulation/socket_after_thread.c.
#pragma once

namespace net_detail {
int RunOnTransferThread(void (*work)(void*), void* context);
}  // namespace net_detail

// Runs work() on a new thread and waits until it has ended. Returns 0, or the error
// code when the thread could not be started (work did not run then).
template <typename Work>
int RunOnTransferThread(Work& work) {
  return net_detail::RunOnTransferThread([](void* context) { (*static_cast<Work*>(context))(); }, &work);
}
