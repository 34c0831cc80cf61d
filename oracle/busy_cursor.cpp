#include "oracle/busy_cursor.h"

namespace qm {

namespace {

BusyCursor& NoCursor() {
  static BusyCursor none;
  return none;
}

BusyCursor* installed = nullptr;

}  // namespace

BusyCursor& AppBusyCursor() {
  return installed != nullptr ? *installed : NoCursor();
}

BusyCursor* SetAppBusyCursor(BusyCursor* cursor) {
  BusyCursor* previous = &AppBusyCursor();
  installed = cursor;
  return previous;
}

TBusyCursorScope::TBusyCursorScope(TCursor cursor) : shown_(cursor != crDefault) {
  if (shown_) AppBusyCursor().Show(cursor);
}

TBusyCursorScope::~TBusyCursorScope() {
  if (shown_) AppBusyCursor().Restore();
}

}  // namespace qm
