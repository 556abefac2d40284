// Sending and posting messages to controls. A sent message runs the target's window procedure
// at once; a posted one is queued and delivered on the GUI thread after what runs now, in the
// order posted. A posted message whose target is gone by then is dropped, and the record it
// carries is freed.
#pragma once

#include <memory>

#include "platform/graphics/Controls.h"

/// Queues the message for `target`. May be called from any thread. Returns false (and frees
/// `record`) when there is no target or no application object to deliver it.
bool PostMessage(TControl* target, uint32_t msg, WPARAM wparam = 0, LPARAM lparam = 0,
                 std::unique_ptr<TObject> record = nullptr);
/// Runs the target's window procedure now and returns the result (0 for no target).
LRESULT SendMessage(TControl* target, uint32_t msg, WPARAM wparam = 0, LPARAM lparam = 0);
