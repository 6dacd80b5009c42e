// Qt's raster painting splits a large fill (a scroll bar, a window's background) over the
// threads of Qt's global thread pool and waits for them. The pool makes its threads when it
// needs them and ends them after 30 idle seconds; a thread that cannot be made then (with
// little memory, a thread's stack may not be had) leaves its share of the fill undone, and
// the window waits for it forever. So the threads are made once, at start, while there is
// memory, with small stacks, and kept for the life of the program: the pool never needs to
// make another.
#pragma once

namespace tavix::app {

// Makes and keeps the pool's threads. Returns false when not all of them could be made: the
// pool then counts threads that never started, and waiting for it to finish would never end
// (the program must then end without that wait, see endWithoutWaiting).
bool keepDrawingThreads();

// Whether the pool has at least one working thread: with none, the window cannot paint.
bool drawingThreadsUsable();

}  // namespace tavix::app
