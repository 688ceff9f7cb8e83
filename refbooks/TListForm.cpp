#include "TListForm.h"
#include "Query.h"
#include "Seam.h"
#include "rules/SearchKeys.h"
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

void TListForm::setUpList(Query* list, const Controls& controls, FilterRule rule)
{
    list_ = list;
    c_ = controls;
    rule_ = std::move(rule);
    c_.search->installEventFilter(this);
    on(c_.search, &QLineEdit::textChanged, &TListForm::Edit1Change);
}

void TListForm::toManagement()
{
    Tag = 0;
    setDefaultButton(c_.change, false);
    c_.change->setText(QStringLiteral("Изменить"));
    c_.add->setVisible(true);
    c_.remove->setVisible(true);
}

void TListForm::toSelection(int tag)
{
    Tag = tag;
    c_.change->setText(QStringLiteral("Выбрать"));
    setDefaultButton(c_.change, true);
    c_.change->setVisible(true);
    c_.add->setVisible(false);
    c_.remove->setVisible(false);
    c_.search->setVisible(true);
    c_.search->clear();
}

void TListForm::afterSelection()
{
    setDefaultButton(c_.change, false);
    c_.search->setVisible(false);
}

void TListForm::openAsEditor()
{
    toManagement();
    list_->reopen();
    // The list shows what the search box says, and nothing another window left in it.
    Edit1Change();
    showModal(this);
    list_->close();
}

std::optional<TListForm::Choice> TListForm::pick(int tag, const PickOptions& o)
{
    toSelection(tag);
    list_->setFiltered(false);
    // Read anew at every opening: prices and rows may have changed since the last one.
    list_->reopen();
    if (o.position)
        o.position(*list_);
    chosen_.reset();
    showModal(this);
    if (o.hideSearchAfter)
        afterSelection();
    if (o.closeAfter)
        list_->close();
    else
        list_->setFiltered(false);
    return chosen_;
}

void TListForm::choose(qint64 id, const QString& name)
{
    chosen_ = Choice{id, name};
    accept();
}

void TListForm::FormActivate()
{
    if (Tag == 0)
        setDefaultButton(c_.add, true);
    if (!c_.search->isHidden())
        c_.search->setFocus();
}

void TListForm::Edit1Change()
{
    const QString text = c_.search->isHidden() ? QString() : c_.search->text();
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
    if (watched == c_.search && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        bool taken = false;
        seam().guarded([&] { taken = Edit1KeyDown(key); });
        if (taken)
            return true;
    }
    return TForm::eventFilter(watched, event);
}
