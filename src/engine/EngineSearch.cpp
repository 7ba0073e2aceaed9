// The device search: command 0 to polling addresses 0 to 14 in turn, one
// second per address, then a report and the refilled polling-address list.
// Beside it, a search over a chosen range up to 0-63 at the same pace, or
// fast: one probe per address and an empty one given up one slave time-out
// after the probe's last byte.
#include <algorithm>

#include "engine/Engine.h"
#include "engine/EngineTexts.h"
#include "link/LinkTexts.h"

namespace vantrel {

std::vector<std::uint8_t> Engine::foundAddresses() const {
  std::vector<std::uint8_t> found;
  for (std::uint8_t address = 0; address < search_.found.size(); ++address) {
    if (search_.found[address]) found.push_back(address);
  }
  return found;
}

namespace {

// A plan's range inside 0-63, first not after last.
SearchPlan CheckedPlan(SearchPlan plan) {
  plan.to = std::min(plan.to, kLastPollAddress);
  plan.from = std::min(plan.from, plan.to);
  return plan;
}

bool IsMenuSearch(const SearchPlan& plan) {
  const SearchPlan menu;
  return plan.from == menu.from && plan.to == menu.to && !plan.fast && !plan.stopAtFirst;
}

}  // namespace

void Engine::startSearch(TimeMs now) {
  pauseSampling();
  pendingSendAt_.reset();
  inProgress_ = false;
  try_ = TryState{};
  deferred_.reset();
  op_ = OP_SEARCH;
  step_ = 0;
  search_.plan = CheckedPlan(data_.search);
  search_.address = search_.plan.from;
  search_.found.fill(false);
  searchProgress();
  if (IsMenuSearch(search_.plan)) {
    effects_.setStatusText(texts::kSearching);
  } else {
    effects_.setStatusText(texts::WithArgs(
        texts::kSearchRange, {std::to_string(search_.plan.from), std::to_string(search_.plan.to)}));
  }

  if (search_.phase == SearchPhase::Reporting) {
    search_.again = true;  // scan once more when the open report is closed
    return;
  }
  if (!link_.isPortOpen()) {
    endSearchWithoutPort(OperationResult::Refused);
    return;
  }
  beginProbeSlot(now);
}

// A closed port ends the search with one message, not one per address left.
void Engine::endSearchWithoutPort(OperationResult result) {
  effects_.showMessage(MessageIcon::Error, texts::kPortNotOpen);
  effects_.setProgress(0);
  effects_.setStatusText(texts::kSearchFailed);
  endSearch();
  const bool sentSome = result != OperationResult::Refused;
  effects_.operationEnded({OP_SEARCH, result, sentSome ? texts::kPortNotOpen : "", 0});
}

// The menu's search moves 6 % per address, 6 to 90; a chosen range moves
// the same 90 % over its addresses.
void Engine::searchProgress() {
  const int count = search_.plan.to - search_.plan.from + 1;
  const int done = search_.address - search_.plan.from + 1;
  effects_.setProgress(done * 90 / count);
}

// A probe slot: wait 500 ms; if the probed address has not spoken meanwhile,
// send it command 0 and wait 500 ms more. A fast slot sends at once.
void Engine::beginProbeSlot(TimeMs now) {
  search_.phase = SearchPhase::BeforeProbe;
  search_.quiet = true;
  search_.tries = 0;
  search_.arriving = false;
  search_.due = now + kSearchWaitMs;
  if (search_.plan.fast) searchStep(now);
}

void Engine::sendProbe(TimeMs now) {
  op_ = OP_SEARCH;
  link_.StartOperation(PrepareCommand0(search_.address), now);
  search_.phase = SearchPhase::AfterProbe;
  if (search_.plan.fast) {
    const TimeMs probe = LineTimeMs(link_.lastRequestSize(), timing_.baudRate);
    search_.due = now + probe + LineTimeMs(kSlaveTimeoutCharacters, timing_.baudRate);
  } else {
    search_.due = now + kSearchWaitMs;
  }
}

void Engine::searchStep(TimeMs now) {
  if (search_.phase == SearchPhase::BeforeProbe && search_.quiet) {
    if (!link_.isPortOpen()) {
      endSearchWithoutPort(OperationResult::Failure);
      return;
    }
    sendProbe(now);
    return;
  }
  nextSearchAddress(now);
}

void Engine::nextSearchAddress(TimeMs now) {
  const bool stop = search_.plan.stopAtFirst && !foundAddresses().empty();
  ++search_.address;
  searchProgress();
  if (search_.address <= search_.plan.to && !stop) {
    beginProbeSlot(now);
  } else {
    reportSearch();
  }
}

// Marks the probed address when the reply comes from it and names an
// instrument. A reply from any other address (a late answer to the previous
// probe) marks nothing. A reply without an identity (a communication error,
// an error code, fewer than 12 data bytes) may come from a device that heard
// a spoiled request: the probe goes out again, as an operation asks again
// after a damaged reply, and the slot waits for its answer.
void Engine::searchReply(const ReceivedFrame& reply) {
  // A whole reply ends its frame too: a fast slot moves on at once.
  if (search_.arriving) searchFrameEnded(reply.receivedAt);
  if (reply.isLongAddress() || reply.command != 0) return;
  if (PollingAddressOf(reply.address[0]) != search_.address) return;
  if (!NamesInstrument(reply)) {
    if (search_.phase != SearchPhase::AfterProbe || search_.tries >= timing_.retries ||
        search_.plan.fast) {
      return;
    }
    ++search_.tries;
    link_.StartOperation(PrepareCommand0(search_.address), reply.receivedAt);
    search_.due = reply.receivedAt + kSearchWaitMs;
    return;
  }
  if (search_.address < search_.found.size()) search_.found[search_.address] = true;
  search_.quiet = false;
}

// A fast probe's slot ends with the frame that answered it, whatever it was.
void Engine::searchFrameBegan() {
  if (search_.plan.fast && search_.phase == SearchPhase::AfterProbe) search_.arriving = true;
}

void Engine::searchFrameEnded(TimeMs now) {
  if (!search_.arriving) return;
  search_.arriving = false;
  if (search_.phase == SearchPhase::AfterProbe) search_.due = now;
}

// The report lists the addresses in ascending order; the polling-address
// list keeps its items in text order ("10 " before "2 ") and selects the
// first of that order.
void Engine::reportSearch(bool interrupted) {
  std::string text = Tr(texts::kSearchReport);
  if (interrupted) text = Tr(texts::kSearchInterrupted) + "\n" + text;
  std::vector<PollAddressItem> items;
  for (const std::uint8_t address : foundAddresses()) {
    PollAddressItem item{std::to_string(address) + " ", address};
    text += item.text;
    items.push_back(std::move(item));
  }
  std::sort(items.begin(), items.end(),
            [](const PollAddressItem& a, const PollAddressItem& b) { return a.text < b.text; });
  effects_.refillPollAddresses(items);
  search_.phase = SearchPhase::Reporting;
  search_.again = false;
  effects_.showSearchReport(text, ++search_.report);
}

// An operation started while the report was open has taken over; a report
// closed late, after another search began, ends nothing.
void Engine::searchReportClosed(unsigned report, TimeMs now) {
  if (search_.phase != SearchPhase::Reporting || search_.report != report) return;
  effects_.setProgress(100);
  effects_.setStatusText(texts::kSearchDone);
  search_.phase = SearchPhase::Idle;
  effects_.operationEnded({OP_SEARCH, OperationResult::Success, {}, 0});
  if (search_.again) startSearch(now);
}

// An operation started during the probes ends the search as its last probe
// would have, with the report (saying it was cut short) and the list of what
// it found so far; the status says "搜索完成" at once, as the new operation
// takes the status line next and closing the report then ends nothing.
void Engine::interruptSearch() {
  if (search_.phase == SearchPhase::Reporting) {
    endSearch();
    return;
  }
  reportSearch(true);
  endSearch();
  effects_.setProgress(100);
  effects_.setStatusText(texts::kSearchDone);
  effects_.operationEnded({OP_SEARCH, OperationResult::Success, {}, 0});
}

void Engine::endSearch() {
  search_.phase = SearchPhase::Idle;
}

}  // namespace vantrel
