#include "JournalActions.h"
#include "App.h"

namespace JournalActions {
void addRecord(App&) {}
void changeRecord(App&) {}
void deleteRecord(App&) {}
} // namespace JournalActions
