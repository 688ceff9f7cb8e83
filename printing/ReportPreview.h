#pragma once
#include "Report.h"
#include <QDialog>

class LongOperation;
class QLabel;
class QScrollArea;
class QTimer;
class Seam;
class PageCanvas;

// The preview of a laid-out report: pages are laid out and painted as they are asked
// for, so the first page of a long report shows at once; the rest are laid out in the
// background while the user reads. Paging, zoom, print and PDF.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    ReportPreview(Seam& seam, Rep::Paginator& doc, Rep::Report::Zoom zoom, QWidget* parent = nullptr);
    ~ReportPreview() override;

    int pageIndex() const { return page_; }
    Rep::Paginator& document() { return doc_; }

public slots:
    void showPage(int index);
    void firstPage() { showPage(0); }
    void priorPage() { showPage(page_ - 1); }
    void nextPage() { showPage(page_ + 1); }
    void lastPage();
    void zoomIn() { setScale(scale_ * 1.25); }
    void zoomOut() { setScale(scale_ / 1.25); }
    void fitWidth();
    void wholePage();
    void printReport();
    void savePdfAs();
    // Writes the whole report to a PDF file; false when it cannot be written.
    bool savePdf(const QString& path);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void setScale(double pixelsPerMm);
    void layoutMore();
    void updateLabel(const QString& doing = {});
    // Lays out until the page exists; waiting for rows still being read is a long operation.
    bool layOutUntil(int index);
    // The page being printed or written, shown while the others wait.
    void showWork(LongOperation& op, int page);
    // Says so and returns true when the report's reading failed.
    bool refusedIncomplete();

    Seam& seam_;
    Rep::Paginator& doc_;
    Rep::Report::Zoom zoom_;
    enum class Fit { Width, Page, None } fit_;
    int page_ = 0;
    double scale_ = 3;
    QScrollArea* area_;
    PageCanvas* canvas_;
    QLabel* label_;
    QTimer* background_;
};
