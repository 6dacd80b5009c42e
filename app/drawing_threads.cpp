#include "app/drawing_threads.hpp"

#include <QElapsedTimer>
#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>

namespace tavix::app {

namespace {

// Enough for the fills, far less address space than the usual 8 MB.
constexpr uint kStackBytes = 1u << 20;
// How long the threads may take to start before those missing are counted as not made.
constexpr int kStartMilliseconds = 5000;

int startedThreads = 0;

}  // namespace

bool keepDrawingThreads() {
    QThreadPool* pool = QThreadPool::globalInstance();
    pool->setExpiryTimeout(-1);  // idle threads wait for work forever
    pool->setStackSize(kStackBytes);
    const int count = std::max(pool->maxThreadCount(), 1);
    // Each task holds its thread until all have started, so the pool makes one per task. The
    // semaphores are never destroyed: a task the pool could not start never runs, and a
    // late one still finds them.
    static auto* running = new QSemaphore;
    static auto* release = new QSemaphore;
    for (int i = 0; i < count; ++i) {
        pool->start([] {
            running->release();
            release->acquire();
        });
    }
    QElapsedTimer clock;
    clock.start();
    while (startedThreads < count &&
           running->tryAcquire(1, std::max(0, kStartMilliseconds - int(clock.elapsed())))) {
        ++startedThreads;
    }
    release->release(count);
    return startedThreads == count;
}

bool drawingThreadsUsable() {
    return startedThreads > 0;
}

}  // namespace tavix::app
