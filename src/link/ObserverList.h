// Hands every frame the link core reports to several observers: the core has
// a single observer slot, and the window has more than one party that wants to
// see the line (the communication monitor, the tests' request recorder).
#pragma once

#include <algorithm>
#include <vector>

#include "link/LinkCore.h"

namespace vantrel {

class ObserverList : public LinkObserver {
 public:
  // Adds `observer` at the end; nullptr and observers already present are
  // ignored. Observers are called in the order they were added. Do not add or
  // remove observers from inside one of the calls.
  void add(LinkObserver* observer) {
    if (observer && !contains(observer)) observers_.push_back(observer);
  }
  void remove(LinkObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
  }
  bool contains(const LinkObserver* observer) const {
    return std::find(observers_.begin(), observers_.end(), observer) != observers_.end();
  }
  bool empty() const { return observers_.empty(); }
  std::size_t size() const { return observers_.size(); }

  void frameSent(const std::vector<std::uint8_t>& raw) override {
    for (LinkObserver* observer : observers_) observer->frameSent(raw);
  }
  void frameReceived(const ReceivedFrame& frame, const std::vector<std::uint8_t>& raw) override {
    for (LinkObserver* observer : observers_) observer->frameReceived(frame, raw);
  }
  void frameDropped(DropReason reason, const std::vector<std::uint8_t>& raw) override {
    for (LinkObserver* observer : observers_) observer->frameDropped(reason, raw);
  }
  void transportMessage(bool sent, const std::string& header, const std::vector<std::uint8_t>& raw,
                        bool carriesFrame) override {
    for (LinkObserver* observer : observers_) {
      observer->transportMessage(sent, header, raw, carriesFrame);
    }
  }

 private:
  std::vector<LinkObserver*> observers_;
};

}  // namespace vantrel
