#include "TListForm.h"
#include "Query.h"
#include "Seam.h"
#include "rules/SearchKeys.h"
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

void TListForm::setUpList(Query* list, QLineEdit* search, QPushButton* addButton, FilterRule rule)
{
    list_ = list;
    search_ = search;
    add_ = addButton;
    rule_ = std::move(rule);
    search_->installEventFilter(this);
    connect(search_, &QLineEdit::textChanged, this, &TListForm::Edit1Change);
}

void TListForm::FormActivate()
{
    if (Tag == 0)
        setDefaultButton(add_, true);
    if (!search_->isHidden())
        search_->setFocus();
}

void TListForm::Edit1Change()
{
    const QString text = search_->text();
    const QString filter = text.isEmpty() ? QString() : rule_(text);
    if (filter.isEmpty()) {
        list_->setFiltered(false);
        return;
    }
    list_->setFilter(filter);
    list_->setFiltered(true);
}

bool TListForm::Edit1KeyDown(int key) { return SearchKeys::take(*list_, key); }

bool TListForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == search_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        bool taken = false;
        seam().guarded([&] { taken = Edit1KeyDown(key); });
        if (taken)
            return true;
    }
    return TForm::eventFilter(watched, event);
}
