#pragma once

#include <functional>

// Runs work(i) for every i below count on `threads` threads (0: one per core).
// Each i runs once, on one thread. The calling thread calls done(i) in the order
// of i, once work(i) and every work before it have finished (it is woken for a
// few at a time, not for each of thousands), and calls
// `waiting` about ten times a second while it waits. Whatever a work or done
// throws stops what has not begun and is thrown here once every thread has stopped.
void ParallelForInOrder(int count, int threads, const std::function<void(int)> &work,
                        const std::function<void(int)> &done, const std::function<void()> &waiting = {});
