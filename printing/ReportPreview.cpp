#include "ReportPreview.h"
#include "LongOperation.h"
#include "Painter.h"
#include "Seam.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <climits>
#include <optional>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

// One page on white paper at the preview's scale.
class PageCanvas : public QWidget {
public:
    PageCanvas(Rep::Paginator& doc, QWidget* parent) : QWidget(parent), doc_(doc) {}
    void show(int page, double scale)
    {
        page_ = page;
        scale_ = scale;
        const Rep::PageSetup& s = doc_.layout().page;
        setFixedSize(int(s.paperWidth() * scale), int(s.paperHeight() * scale));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.fillRect(rect(), Qt::white);
        if (page_ < 0 || page_ >= doc_.pageCount())
            return;
        p.scale(scale_, scale_);
        Rep::paintPage(p, doc_, doc_.page(page_), lines_);
    }

private:
    Rep::Paginator& doc_;
    Rep::LineCache lines_;
    int page_ = -1;
    double scale_ = 1;
};

namespace {
const char* const kIncomplete =
    "Отчет неполный: чтение данных прервалось. Печать и PDF недоступны; постройте отчет заново.";

QToolButton* tool(QWidget* parent, QLayout* row, const char* name, const QString& text)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    b->setAutoRaise(true);
    row->addWidget(b);
    return b;
}
} // namespace

ReportPreview::ReportPreview(Seam& seam, Rep::Paginator& doc, Rep::Report::Zoom zoom, QWidget* parent)
    : QDialog(parent), seam_(seam), doc_(doc), zoom_(zoom),
      fit_(zoom == Rep::Report::Zoom::PageWidth ? Fit::Width : Fit::Page)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("Предварительный просмотр"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    auto* top = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    top->addLayout(row);
    wire(seam_, tool(this, row, "FirstPage", QStringLiteral("|<")), &QToolButton::clicked, this, &ReportPreview::firstPage);
    wire(seam_, tool(this, row, "PriorPage", QStringLiteral("<")), &QToolButton::clicked, this, &ReportPreview::priorPage);
    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("PageLabel"));
    row->addWidget(label_);
    wire(seam_, tool(this, row, "NextPage", QStringLiteral(">")), &QToolButton::clicked, this, &ReportPreview::nextPage);
    wire(seam_, tool(this, row, "LastPage", QStringLiteral(">|")), &QToolButton::clicked, this, &ReportPreview::lastPage);
    wire(seam_, tool(this, row, "ZoomOut", QStringLiteral("−")), &QToolButton::clicked, this, &ReportPreview::zoomOut);
    wire(seam_, tool(this, row, "ZoomIn", QStringLiteral("+")), &QToolButton::clicked, this, &ReportPreview::zoomIn);
    wire(seam_, tool(this, row, "FitWidth", QStringLiteral("По ширине")), &QToolButton::clicked, this,
            &ReportPreview::fitWidth);
    wire(seam_, tool(this, row, "WholePage", QStringLiteral("Страница целиком")), &QToolButton::clicked, this,
            &ReportPreview::wholePage);
    wire(seam_, tool(this, row, "PrintButton", QStringLiteral("Печать…")), &QToolButton::clicked, this,
            &ReportPreview::printReport);
    wire(seam_, tool(this, row, "PdfButton", QStringLiteral("Сохранить PDF…")), &QToolButton::clicked, this,
            &ReportPreview::savePdfAs);
    row->addStretch();
    wire(seam_, tool(this, row, "CloseButton", QStringLiteral("Закрыть")), &QToolButton::clicked, this,
            &ReportPreview::reject);

    area_ = new QScrollArea(this);
    area_->setAlignment(Qt::AlignHCenter);
    area_->setBackgroundRole(QPalette::Dark);
    canvas_ = new PageCanvas(doc_, area_);
    area_->setWidget(canvas_);
    top->addWidget(area_);

    background_ = new QTimer(this);
    background_->setInterval(0);
    wire(seam_, background_, &QTimer::timeout, this, &ReportPreview::layoutMore);
    doc_.ensure(0);
    if (!doc_.done())
        background_->start();
    resize(1200, 900);
    setWindowState(Qt::WindowMaximized);
    showPage(0);
}

ReportPreview::~ReportPreview() = default;

// Lays out rows for a few milliseconds at a time so that the window stays responsive;
// while rows still being read have not come, it looks again a little later.
void ReportPreview::layoutMore()
{
    QElapsedTimer t;
    t.start();
    bool ready = true;
    while (t.elapsed() < 30 && (ready = doc_.stepIfReady()))
        ;
    if (doc_.done())
        background_->stop();
    else
        background_->setInterval(ready ? 0 : 20);
    updateLabel();
}

void ReportPreview::updateLabel(const QString& doing)
{
    const QString incomplete = QString::fromUtf8(kIncomplete);
    label_->setText(QStringLiteral("Страница %1 из %2%3%4")
                        .arg(page_ + 1)
                        .arg(doc_.pageCount())
                        .arg(doc_.done() ? QString() : QStringLiteral("…"))
                        .arg(doc_.incomplete() ? QStringLiteral("   ") + incomplete
                             : doing.isEmpty() ? QString()
                                               : QStringLiteral("   ") + doing));
    // A report whose rows stopped coming is not to be taken for a whole one.
    for (const char* name : {"PrintButton", "PdfButton"})
        if (auto* b = findChild<QToolButton*>(QString::fromLatin1(name)))
            b->setEnabled(!doc_.incomplete());
}

bool ReportPreview::refusedIncomplete()
{
    if (!doc_.incomplete())
        return false;
    seam_.message(QMessageBox::Warning, QStringLiteral("Отчет"), QString::fromUtf8(kIncomplete));
    return true;
}

bool ReportPreview::layOutUntil(int index)
{
    std::optional<LongOperation> waiting;
    while (doc_.pageCount() <= index && !doc_.done())
        if (!doc_.stepIfReady()) {
            if (!waiting)
                waiting.emplace();
            updateLabel(QStringLiteral("(читаются данные)"));
            waiting->step();
            doc_.ensure(doc_.pageCount());
        }
    return index < doc_.pageCount();
}

void ReportPreview::showPage(int index)
{
    index = qMax(0, index);
    if (!layOutUntil(index))
        index = doc_.pageCount() - 1;
    page_ = qMax(0, index);
    canvas_->show(page_, scale_);
    area_->verticalScrollBar()->setValue(0);
    updateLabel();
}

void ReportPreview::lastPage()
{
    layOutUntil(INT_MAX);
    showPage(doc_.pageCount() - 1);
}

void ReportPreview::setScale(double pixelsPerMm)
{
    scale_ = qBound(0.5, pixelsPerMm, 20.0);
    canvas_->show(page_, scale_);
}

void ReportPreview::fitWidth()
{
    fit_ = Fit::Width;
    const int room = area_->viewport()->width() - 8;
    setScale(room / doc_.layout().page.paperWidth());
}

void ReportPreview::wholePage()
{
    fit_ = Fit::Page;
    const QSize room = area_->viewport()->size() - QSize(8, 8);
    const Rep::PageSetup& s = doc_.layout().page;
    setScale(qMin(room.width() / s.paperWidth(), room.height() / s.paperHeight()));
}

void ReportPreview::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    if (fit_ == Fit::Width)
        fitWidth();
    else if (fit_ == Fit::Page)
        wholePage();
}

void ReportPreview::printReport()
{
    // Every page first: a reading that fails on the way must not leave half a report printed.
    layOutUntil(INT_MAX);
    updateLabel();
    if (refusedIncomplete())
        return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    if (seam_.showModal(&dialog) != QDialog::Accepted)
        return;
    LongOperation op(QStringLiteral("Печать"));
    Rep::print(doc_, printer, [&](int page) { showWork(op, page); });
    updateLabel();
}

void ReportPreview::showWork(LongOperation& op, int page)
{
    label_->setText(QStringLiteral("Печать: страница %1").arg(page + 1));
    op.step();
}

void ReportPreview::savePdfAs()
{
    QFileDialog dialog(this, QStringLiteral("Сохранить в PDF"));
    dialog.setObjectName(QStringLiteral("PdfDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("PDF (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (seam_.showModal(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    savePdf(dialog.selectedFiles().first());
}

bool ReportPreview::savePdf(const QString& path)
{
    if (refusedIncomplete())
        return false;
    LongOperation op(QStringLiteral("Запись PDF"));
    const bool written = Rep::writePdf(doc_, path, [&](int page) { showWork(op, page); });
    updateLabel();
    if (written)
        return true;
    seam_.message(QMessageBox::Critical, QStringLiteral("Ошибка"), QStringLiteral("Не удалось записать файл %1").arg(path));
    return false;
}
