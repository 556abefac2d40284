// The thread that fills the position caches of trees in the background, so that a large tree
// finds its rows by binary search without the GUI thread walking every visible node. One thread
// serves every tree: the first tree starts it and the last one ends it. The thread only reads
// node links, visibility, expansion and heights; a tree interrupts it before it changes any of
// those, and hands it the tree again once the change is done.
#pragma once

#include <cstdint>

class TNodeTree;
/// The thread's state and loop (private to ValidationThread.cpp).
class TValidationWorker;

namespace ValidationThread {

/// Each tree registers when it is made and unregisters when it goes.
void AddUser();
void RemoveUser();
/// Lists `tree` (once) for validation of the cache state `generation`; the thread starts on it
/// after a short quiet spell. A run already going on the tree is abandoned.
void Add(TNodeTree* tree, uint64_t generation);
/// Takes `tree` off the list; when the thread is working on it, asks it to stop and waits until
/// it has let go of the tree. Runs synchronised calls meanwhile (the thread may be waiting for
/// the GUI thread to take its result). GUI thread only.
void Interrupt(TNodeTree* tree);

}  // namespace ValidationThread
