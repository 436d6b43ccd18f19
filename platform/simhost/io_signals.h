#pragma once
// Signals that punish a process for its I/O: SIGPIPE when the reader of a pipe has gone, SIGTTIN
// and SIGTTOU when a job in the background touches its terminal (their default action stops the
// whole process, modem and all). Ignored, the read fails with EIO, the write goes through or
// fails with EPIPE, and the caller decides what that means. Children started with ChildProcess
// get the default actions back.

namespace platform {

// False when the actions cannot be changed.
bool IgnoreIoSignals();

// True when this process's group is in the foreground of its controlling terminal: a Ctrl-C
// typed there reached every process of the group, children included.
bool InTerminalForeground();

}  // namespace platform
