#pragma once
#include "Layout.h"
#include "Paginator.h"
#include <memory>

// A report object of a layout class: the layout with the texts callers set, ready to be
// laid out over a source.
namespace Rep {

class Report {
public:
    enum class Zoom { PageWidth, WholePage };
    Layout layout;
    Zoom zoom = Zoom::PageWidth;

    // The text of a named label (the title "QRLabel1").
    void setText(const QString& element, const QString& text);
    QString text(const QString& element) const;
    std::unique_ptr<Paginator> prepare(const Source& source) const { return std::make_unique<Paginator>(layout, source); }
};

} // namespace Rep
