// The synchronise queue: a worker thread hands a call to the GUI thread and waits until it has
// run there. The GUI thread runs queued calls from its message loop, and also whenever it
// calls CheckSynchronize (which it must do while it waits for a worker that may be waiting
// for it).
#pragma once

#include <functional>

/// Runs `call` on the GUI thread and waits for it; on the GUI thread it runs at once. An
/// exception thrown by the call is raised again in the calling thread. Returns false, without
/// running the call, when there is no application object (or it goes while the call waits).
bool Synchronize(const std::function<void()>& call);
/// On the GUI thread: runs every queued call and answers whether there were any. Elsewhere it
/// does nothing.
bool CheckSynchronize();
/// True on the thread that runs the message loop.
bool IsGuiThread();
