#pragma once

class App;

// The main window's journal buttons: new record, change, delete with the day-cell upkeep.
namespace JournalActions {
void addRecord(App& app);
void changeRecord(App& app);
void deleteRecord(App& app);
} // namespace JournalActions
