#include "tools/host/SlotQueue.h"

void SlotQueue::push(int slot) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        slots_.push_back(slot);
    }
    ready_.notify_one();
}

int SlotQueue::pop() {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [this] { return closed_ || !slots_.empty(); });
    if (slots_.empty())
        return -1;
    const int slot = slots_.front();
    slots_.pop_front();
    return slot;
}

void SlotQueue::close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    ready_.notify_all();
}
