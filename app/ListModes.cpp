#include "ListModes.h"
#include "TForm.h"
#include <QLineEdit>
#include <QPushButton>
#include <QVariant>

namespace ListModes {
namespace {
QPushButton* button(QWidget* w, const char* name) { return w->findChild<QPushButton*>(QString::fromLatin1(name)); }
QLineEdit* search(QWidget* w) { return w->findChild<QLineEdit*>(QStringLiteral("Edit1")); }

void showEditing(QWidget* w, bool on)
{
    for (const char* name : {"Button1", "Button3"})
        if (QPushButton* b = button(w, name))
            b->setVisible(on);
}
} // namespace

void toManagement(QWidget* list)
{
    list->setProperty("Tag", 0);
    if (QPushButton* b2 = button(list, "Button2")) {
        setDefaultButton(b2, false);
        b2->setText(QStringLiteral("Изменить"));
    }
    showEditing(list, true);
}

void toSelection(QWidget* list, int tag)
{
    list->setProperty("Tag", tag);
    if (QPushButton* b2 = button(list, "Button2")) {
        b2->setText(QStringLiteral("Выбрать"));
        setDefaultButton(b2, true);
        b2->setVisible(true);
    }
    showEditing(list, false);
    if (QLineEdit* s = search(list)) {
        s->setVisible(true);
        s->clear();
    }
}

void afterSelection(QWidget* list)
{
    if (QPushButton* b2 = button(list, "Button2"))
        setDefaultButton(b2, false);
    if (QLineEdit* s = search(list))
        s->setVisible(false);
}
} // namespace ListModes
