// The list through which a window that is being created finds the object that
// will serve it: the object registers itself for the creating thread just before
// the window exists, and the window's first message takes it out again.
#pragma once

namespace tessoid {

// Registers `object` for the calling thread, replacing an earlier entry of it.
void RegisterWindowCreation(void* object);
// Removes and returns the calling thread's entry; null when there is none.
void* TakeWindowCreation();

} // namespace tessoid
