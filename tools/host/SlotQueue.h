#pragma once
// A blocking queue of buffer slot numbers, for handing chunks of audio
// between render's reading, processing and writing threads.
#include <condition_variable>
#include <deque>
#include <mutex>

class SlotQueue {
public:
    void push(int slot);
    // Waits for a slot; -1 once the queue is closed and empty.
    int pop();
    // Wakes every waiter; later pops drain what is left, then answer -1.
    void close();

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<int> slots_;
    bool closed_ = false;
};
