// The mouse cursor the engine asks for while it works. The engine has no
// windows: the program installs a handler that shows the cursor it names.
#pragma once

#include <functional>

namespace tinydb {

// Cursor numbers handed to the handler.
constexpr int kDefaultCursor = 0;        // the default mouse cursor
constexpr int kDatabaseWaitCursor = -17;  // the database-wait mouse cursor

using TWaitCursorHandler = std::function<void(int cursor_id)>;

// Installs the process-wide handler (an empty function removes it).
// Thread-safe; the handler runs on the thread that asks for a cursor.
void SetWaitCursorHandler(TWaitCursorHandler handler);

// Asks the installed handler, if any, to show cursor |cursor_id|.
void ShowCursor(int cursor_id);

// Shows the database-wait cursor while it lives (when |show|), and the
// default cursor again when it dies, also on error.
class TWaitCursorScope {
 public:
  explicit TWaitCursorScope(bool show);
  ~TWaitCursorScope();
  TWaitCursorScope(const TWaitCursorScope&) = delete;
  TWaitCursorScope& operator=(const TWaitCursorScope&) = delete;

 private:
  bool shown_;
};

}  // namespace tinydb
