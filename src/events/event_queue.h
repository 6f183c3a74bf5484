// The program's one event queue. Window procedures and the dialog keys append to it; the shell's
// event loop takes one event at a time and runs its steps to the end (modal dialogs included)
// before it takes the next.
#pragma once

#include <deque>
#include <optional>

#include "events/event.h"

namespace orv {

class EventQueue {
 public:
  void Queue(const Event& event) { events_.push_back(event); }

  // The oldest event, taken off the queue; nothing when none is queued.
  std::optional<Event> Take() {
    if (events_.empty()) return std::nullopt;
    const Event event = events_.front();
    events_.pop_front();
    return event;
  }

  // Forgets every queued event (shutdown).
  void Clear() { events_.clear(); }

 private:
  std::deque<Event> events_;
};

}  // namespace orv
