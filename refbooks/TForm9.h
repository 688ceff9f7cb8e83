#pragma once
#include "TForm.h"
#include <memory>

namespace Ui { class TForm9; }

// The kind dialog: one kind name, new (Tag 1) or the current kind renamed (Tag 2).
class TForm9 : public TForm {
    Q_OBJECT
public:
    explicit TForm9(App& app);
    ~TForm9() override;

    // Before a showing for a new kind, and for renaming kind id.
    void prepareNew();
    void prepareChange(const QString& name, qint64 id);

public slots:
    void FormActivate();
    void Button1Click();
    void Button2Click();


private:
    std::unique_ptr<Ui::TForm9> ui;
    qint64 kindId_ = 0;
};
