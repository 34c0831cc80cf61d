#pragma once
// The busy cursor that sessions and statements show while they wait for the database. The Oracle
// layer knows no windows: the application installs an implementation that sets the screen's
// cursor; without one nothing is shown (tests, tools).

namespace qm {

// Screen cursors, numbered as the toolkit the system was designed on numbers them.
using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crSQLWait = -17;

class BusyCursor {
 public:
  virtual ~BusyCursor() = default;
  // Shows `cursor` until the matching Restore; calls nest.
  virtual void Show(TCursor) {}
  virtual void Restore() {}
};

BusyCursor& AppBusyCursor();
// Installs `cursor` (not owned; nullptr restores the one that shows nothing) and returns the
// previous one.
BusyCursor* SetAppBusyCursor(BusyCursor* cursor);

// Shows a cursor for the life of the object; crDefault shows none.
class TBusyCursorScope {
 public:
  explicit TBusyCursorScope(TCursor cursor);
  ~TBusyCursorScope();
  TBusyCursorScope(const TBusyCursorScope&) = delete;
  TBusyCursorScope& operator=(const TBusyCursorScope&) = delete;

 private:
  bool shown_;
};

}  // namespace qm
