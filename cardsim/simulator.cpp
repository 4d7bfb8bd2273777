#include "simulator.h"

#include <cstdlib>
#include <sstream>
#include <string>

namespace ktr4sim {

namespace {
constexpr uint32_t kHandleBase = 0x4B340000u;  // handles that are not small integers
}

std::vector<uint8_t> cards_from_environment() {
  const char* text = std::getenv("KTR4SIM_CARDS");
  if (text == nullptr) return {0};
  std::vector<uint8_t> switches;
  std::stringstream list(text);
  std::string item;
  while (std::getline(list, item, ',')) {
    if (item.empty() || item == "none") continue;
    const long value = std::strtol(item.c_str(), nullptr, 0);
    if (value < 0 || value > 15) continue;  // a switch has four bits
    if (switches.size() < 16) switches.push_back(static_cast<uint8_t>(value));
  }
  return switches;
}

Simulator& Simulator::instance() {
  static Simulator simulator;
  return simulator;
}

Simulator::Simulator() { reset(); }

void Simulator::reset() {
  set_cards(cards_from_environment());
  failures_.clear();
  trace_.clear();
  trace_on_ = true;
}

void Simulator::set_cards(const std::vector<uint8_t>& switches) {
  cards_.clear();
  for (size_t slot = 0; slot < switches.size() && slot < 16; ++slot)
    cards_.emplace_back(switches[slot], kHandleBase + static_cast<uint32_t>(slot));
}

SimCard* Simulator::card_by_handle(uint32_t handle) {
  for (SimCard& card : cards_)
    if (card.handle() == handle) return &card;
  return nullptr;
}

SimCard* Simulator::card_by_slot(uint32_t slot) { return slot < cards_.size() ? &cards_[slot] : nullptr; }

std::optional<int32_t> Simulator::take_failure(uint32_t operation) {
  for (auto it = failures_.begin(); it != failures_.end(); ++it) {
    if (it->operation != operation) continue;
    if (it->skip > 0) {
      --it->skip;
      return std::nullopt;
    }
    const int32_t code = it->code;
    if (it->count > 0 && --it->count == 0) failures_.erase(it);
    return code;
  }
  return std::nullopt;
}

void Simulator::fail(uint32_t operation, int32_t code, uint32_t skip, int32_t count) {
  if (count == 0) return;
  failures_.push_back({operation, code, skip, count});
}

void Simulator::record(const ktr4sim_call& call) {
  if (trace_on_ && trace_.size() < kTraceCapacity) trace_.push_back(call);
}

}  // namespace ktr4sim
