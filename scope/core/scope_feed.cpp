#include "scope_feed.h"

namespace ktr4scope {

bool ScopeFeed::attach(long pid)
{
    detach();
    if (!reader_.open(pid))
        return false;
    if (!poller_.start(pid)) {
        reader_.close();
        return false;
    }
    return true;
}

void ScopeFeed::detach()
{
    poller_.stop();
    reader_.close();
    history_.clear();
}

bool ScopeFeed::poll()
{
    bool changed = false;
    for (const ktr4sim_scope_state& state : poller_.take()) {
        if (!history_.add(state))
            continue;
        recorder_.write(state);
        changed = true;
    }
    return changed;
}

}  // namespace ktr4scope
