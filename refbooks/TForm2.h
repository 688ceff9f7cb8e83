#pragma once
#include "TForm.h"
#include <memory>

namespace Ui { class TForm2; }
class Command;
class Query;
class QComboBox;

// The worker dialog: name and department of a new worker (Tag 1) or of the worker
// person_id (Tag 2).
class TForm2 : public TForm {
    Q_OBJECT
    Q_PROPERTY(int person_id MEMBER person_id)
public:
    explicit TForm2(App& app);
    ~TForm2() override;

    int person_id = 0;
    // The whole tables behind the three lists.
    Query* department;
    Query* staffpos;
    Query* roles;

    // Reads the three lists again; each keeps its choice while that row still exists.
    void reopenLists();
    // Before a showing for a new worker; the lists keep the choices of the last use.
    void prepareNew();
    // Before a showing for a change: the worker's own name and department.
    void prepareChange(const QString& fio, const QString& department, int id);

public slots:
    void FormActivate();
    void FormMouseWheelDown();
    void FormMouseWheelUp();
    void Button1Click();
    void Button2Click();

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    void stepList(int step);

    std::unique_ptr<Ui::TForm2> ui;
    // The department stored for the worker being changed, kept when the list lacks it.
    QString storedDepartment_;
};
