#include "TForm7.h"
#include "App.h"
#include "TDataModule6.h"
#include "app/rules/Messages.h"
#include "rules/ProductsSql.h"
#include "rules/RefBookWrites.h"
#include "ui_TForm7.h"
#include <QLocale>
#include <QValidator>

namespace {
// The value field: digits and one decimal point; a comma becomes the point. Pasted
// text is held to the same rule as typed text.
class ValueValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input.replace(QLatin1Char(','), QLatin1Char('.'));
        int points = 0;
        for (const QChar c : input) {
            if (c == QLatin1Char('.'))
                ++points;
            else if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return Invalid;
        }
        return points > 1 ? Invalid : Acceptable;
    }
};
} // namespace

TForm7::TForm7(App& a) : TForm(a), ui(std::make_unique<Ui::TForm7>())
{
    ui->setupUi(this);
    ui->Edit2->setValidator(new ValueValidator(ui->Edit2));
    item = new Query(dm().ADO_DB, QStringLiteral("item"), this);
    item->setSql(QString::fromUtf8(ProductsSql::Item));
    item->setFilter(QString::fromUtf8(ProductsSql::ItemFilter));
    item->setFiltered(true);
    item->setSort(QStringLiteral("s_caption"));
    on(item, &Query::reset, &TForm7::fillGroups);
    on(ui->cb_item, &QComboBox::currentIndexChanged, &TForm7::cb_itemChange);
    on(ui->Button1, &QPushButton::clicked, &TForm7::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &TForm7::Button2Click);
    fixSize();
}

TForm7::~TForm7() = default;

// The list is rebuilt whenever item is read again; it keeps showing the group chosen
// last, as long as that group is still there.
void TForm7::fillGroups()
{
    if (!item->isOpen())
        return;
    filling_ = true;
    ui->cb_item->clear();
    for (item->first(); !item->eof(); item->next())
        ui->cb_item->addItem(item->asString(QStringLiteral("s_caption")).trimmed(), item->asInteger(QStringLiteral("id")));
    ui->cb_item->setCurrentIndex(ui->cb_item->findData(groupId_));
    filling_ = false;
    if (groupId_ != 0)
        item->locate(QStringLiteral("id"), groupId_);
}

void TForm7::cb_itemChange()
{
    if (filling_)
        return;
    const int i = ui->cb_item->currentIndex();
    groupId_ = i < 0 ? 0 : ui->cb_item->itemData(i).toLongLong();
    if (groupId_ != 0 && item->isOpen())
        item->locate(QStringLiteral("id"), groupId_);
}

void TForm7::prepareNew()
{
    ui->Edit1->clear();
    ui->Edit2->clear();
    setWindowTitle(QStringLiteral("Заведение нового изделия (7)"));
    Tag = 1;
}

void TForm7::prepareChange(const QString& mark, const QString& value, qint64 groupId, qint64 id)
{
    ui->Edit1->setText(mark);
    ui->Edit2->setText(value);
    setWindowTitle(QStringLiteral("Изменение данных изделия (7)"));
    Tag = 2;
    groupId_ = groupId;
    productId_ = id;
}

void TForm7::FormActivate() { ui->Edit1->setFocus(); }

void TForm7::Button1Click()
{
    const QString mark = ui->Edit1->text().trimmed();
    const QString value = ui->Edit2->text().trimmed();
    const int i = ui->cb_item->currentIndex();
    const qint64 group = i < 0 ? 0 : ui->cb_item->itemData(i).toLongLong();
    if (mark.isEmpty() || value.isEmpty() || group == 0) {
        error(QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    if (mark.size() > ProductsSql::MarkMax) {
        error(QString::fromUtf8(ProductsSql::TooLong));
        return;
    }
    if (!ProductsSql::isValue(value)) {
        error(QString::fromUtf8(ProductsSql::NotANumber));
        return;
    }
    // Whatever separator was typed or the version row names, the database reads a point.
    const QString number = QString(value).replace(QLatin1Char(','), QLatin1Char('.'));
    const auto saved = RefBookWrites::saveProduct(dm().ADO_DB, mark, QLocale().toUpper(mark), number, group,
                                                  Tag == 1 ? std::nullopt : std::optional<qint64>(productId_));
    if (saved == RefBookWrites::Saved::Duplicate) {
        error(QStringLiteral("Такая марка изделия уже заведена!"));
        return;
    }
    if (saved == RefBookWrites::Saved::Gone)
        error(QString::fromUtf8(Messages::Gone));
    dm().Izdel->reopen();
    accept();
}

void TForm7::Button2Click() { reject(); }
