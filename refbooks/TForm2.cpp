#include "TForm2.h"
#include "App.h"
#include "TDataModule6.h"
#include "app/rules/Messages.h"
#include "rules/RefBookWrites.h"
#include "rules/WorkersSql.h"
#include "ui_TForm2.h"
#include <QWheelEvent>

namespace {
void fill(QComboBox* box, Query* table)
{
    const QVariant chosen = box->currentData();
    table->reopen();
    box->clear();
    for (table->first(); !table->eof(); table->next())
        box->addItem(table->asString(QStringLiteral("s_caption")), table->asInteger(QStringLiteral("id")));
    table->close();
    box->setCurrentIndex(chosen.isValid() ? box->findData(chosen) : -1);
}
}

TForm2::TForm2(App& a) : TForm(a), ui(std::make_unique<Ui::TForm2>())
{
    ui->setupUi(this);
    department = new Query(dm().ADO_DB, QStringLiteral("department"), this);
    department->setSql(QString::fromUtf8(WorkersSql::Departments));
    staffpos = new Query(dm().ADO_DB, QStringLiteral("staffpos"), this);
    staffpos->setSql(QString::fromUtf8(WorkersSql::Staffpos));
    roles = new Query(dm().ADO_DB, QStringLiteral("roles"), this);
    roles->setSql(QString::fromUtf8(WorkersSql::Roles));
    for (QComboBox* box : {ui->LCB_department, ui->LCB_staffpos, ui->LCB_roles})
        box->setCurrentIndex(-1);
    resize(418, sizeHint().height());
    setFixedSize(size());
    connect(ui->Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
}

TForm2::~TForm2() = default;

void TForm2::reopenLists()
{
    fill(ui->LCB_staffpos, staffpos);
    fill(ui->LCB_roles, roles);
    fill(ui->LCB_department, department);
}

void TForm2::prepareNew()
{
    ui->Edit1->clear();
    setWindowTitle(QStringLiteral("Заведение данных нового работника"));
    Tag = 1;
    storedDepartment_.clear();
    reopenLists();
}

void TForm2::prepareChange(const QString& fio, const QString& department, int id)
{
    setWindowTitle(QStringLiteral("Изменение данных работника"));
    Tag = 2;
    reopenLists();
    ui->Edit1->setText(fio);
    person_id = id;
    // The worker's own department, not the one the list showed last.
    storedDepartment_ = department.trimmed();
    ui->LCB_department->setCurrentIndex(ui->LCB_department->findText(storedDepartment_));
}

void TForm2::FormActivate() { ui->Edit1->setFocus(); }

void TForm2::wheelEvent(QWheelEvent* event)
{
    const int dy = event->angleDelta().y();
    if (dy < 0)
        FormMouseWheelDown();
    else if (dy > 0)
        FormMouseWheelUp();
    event->accept();
}

void TForm2::stepList(int step)
{
    auto* box = qobject_cast<QComboBox*>(focusWidget());
    if (!box || (box != ui->LCB_department && box != ui->LCB_staffpos && box != ui->LCB_roles))
        return;
    const int index = box->currentIndex() + step;
    if (index >= 0 && index < box->count())
        box->setCurrentIndex(index);
}

void TForm2::FormMouseWheelDown() { stepList(1); }
void TForm2::FormMouseWheelUp() { stepList(-1); }

void TForm2::Button1Click()
{
    const QString name = ui->Edit1->text().trimmed();
    if (name.isEmpty()) {
        error(QString::fromUtf8(WorkersSql::EmptyNameMessage));
        return;
    }
    if (name.size() > WorkersSql::FioMax) {
        error(WorkersSql::tooLongMessage());
        return;
    }
    const QString dept = ui->LCB_department->currentIndex() < 0 ? storedDepartment_ : ui->LCB_department->currentText();
    const auto saved = RefBookWrites::saveWorker(dm().ADO_DB, name, dept, Tag == 1 ? std::nullopt : std::optional<int>(person_id));
    if (saved == RefBookWrites::Saved::Gone)
        error(QString::fromUtf8(Messages::Gone));
    accept();
}

void TForm2::Button2Click() { reject(); }
