#include "scope_feed.h"

namespace ktr4scope {

bool ScopeFeed::attach(const std::string& name) {
  history_.clear();
  return reader_.open(name);
}

void ScopeFeed::detach() {
  reader_.close();
  history_.clear();
}

bool ScopeFeed::poll() {
  if (!reader_.read(state_)) return false;
  if (!history_.add(state_)) return false;
  recorder_.write(state_);
  return true;
}

}  // namespace ktr4scope
