#pragma once
// The receive thread's priority, one source per system.

namespace valdro {

// Lowers the calling thread's priority a little: the reader mostly sleeps in its
// read and should stay out of the way. Only a little, never to the idle class, so
// a busy machine cannot starve a reply past the one-second watchdog. A failure
// changes nothing and is ignored.
void LowerOwnPriority();

}  // namespace valdro
