// Sharing numbered tasks between the calling thread and, on a machine with a second core,
// one more thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <exception>
#include <thread>

namespace tavix {

// How many threads runTasks uses: two where the machine has a second core, else one.
inline std::size_t workerCount() {
    return std::thread::hardware_concurrency() > 1 ? 2 : 1;
}

// Runs work(worker, task) for tasks 0 to taskCount − 1, each exactly once, in any order. The
// calling thread is worker 0; worker 1, when there is more than one task and workers > 1, is
// a second thread, if one can be had. `work` must not throw.
template <class Work>
void runTasks(std::size_t taskCount, std::size_t workers, const Work& work) {
    std::atomic<std::size_t> nextTask{0};
    auto run = [&](std::size_t worker) {
        for (std::size_t task; (task = nextTask.fetch_add(1)) < taskCount;) {
            work(worker, task);
        }
    };
    std::thread helper;
    if (workers > 1 && taskCount > 1) {
        try {
            helper = std::thread(run, std::size_t{1});
        } catch (const std::exception&) {
            // No second thread (none to be had, or no memory for one): the calling thread
            // does it all.
        }
    }
    run(0);
    if (helper.joinable()) {
        helper.join();
    }
}

}  // namespace tavix
