#include "segment_poller.h"

#include <chrono>
#include <memory>

#include "segment_reader.h"

namespace ktr4scope {

bool SegmentPoller::start(long pid)
{
    stop();
    auto reader = std::make_shared<SegmentReader>();
    if (!reader->open(pid))
        return false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = false;
        queue_.clear();
    }
    thread_ = std::thread([this, reader] {
        std::vector<ktr4sim_scope_state> fresh;
        uint64_t last = 0;
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stop_) {
            lock.unlock();
            fresh.clear();
            last = reader->read_since(last, fresh);
            lock.lock();
            queue_.insert(queue_.end(), fresh.begin(), fresh.end());
            if (queue_.size() > kMaxQueued)
                queue_.erase(queue_.begin(), queue_.end() - kMaxQueued);
            stop_signal_.wait_for(lock, std::chrono::milliseconds(5), [this] { return stop_; });
        }
    });
    return true;
}

void SegmentPoller::stop()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    stop_signal_.notify_one();
    thread_.join();
}

std::vector<ktr4sim_scope_state> SegmentPoller::take()
{
    std::vector<ktr4sim_scope_state> taken;
    std::lock_guard<std::mutex> lock(mutex_);
    taken.swap(queue_);
    return taken;
}

}  // namespace ktr4scope
