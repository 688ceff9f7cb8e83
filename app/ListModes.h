#pragma once

class QWidget;

// The two modes of a reference list window, set by whoever opens it, through the
// window's Tag and its named controls (Button1 "Добавить", Button2 "Изменить",
// Button3 "Удалить", Edit1 the search box).
namespace ListModes {
// Editor (menu): Tag 0, "Изменить" not the default, adding and deleting shown.
void toManagement(QWidget* list);
// Picker for the dialog whose number is tag: "Выбрать" the default, adding and deleting
// hidden, the search box shown and emptied.
void toSelection(QWidget* list, int tag = 1);
// After picking: "Выбрать" no longer the default, the search box hidden.
void afterSelection(QWidget* list);
} // namespace ListModes
