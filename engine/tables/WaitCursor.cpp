#include "tables/WaitCursor.h"

#include <mutex>
#include <utility>

namespace tinydb {

namespace {

std::mutex& HandlerMutex() {
  static std::mutex mutex;
  return mutex;
}

TWaitCursorHandler& Handler() {
  static TWaitCursorHandler handler;
  return handler;
}

}  // namespace

void SetWaitCursorHandler(TWaitCursorHandler handler) {
  std::lock_guard<std::mutex> lock(HandlerMutex());
  Handler() = std::move(handler);
}

void ShowCursor(int cursor_id) {
  TWaitCursorHandler handler;
  {
    std::lock_guard<std::mutex> lock(HandlerMutex());
    handler = Handler();
  }
  if (handler) handler(cursor_id);
}

TWaitCursorScope::TWaitCursorScope(bool show) : shown_(show) {
  if (shown_) ShowCursor(kDatabaseWaitCursor);
}

TWaitCursorScope::~TWaitCursorScope() {
  if (!shown_) return;
  try {
    ShowCursor(kDefaultCursor);
  } catch (...) {
    // A destructor cannot report; the handler's failure is its own.
  }
}

}  // namespace tinydb
