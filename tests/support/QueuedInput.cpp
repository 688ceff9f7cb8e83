#include "QueuedInput.h"
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

namespace QueuedInput {

using Delivery = QWindowSystemInterface::AsynchronousDelivery;

void click(QWidget* w)
{
    QWindow* window = w->window()->windowHandle();
    const QPointF local = w->mapTo(w->window(), w->rect().center());
    const QPointF global = w->mapToGlobal(w->rect().center());
    QWindowSystemInterface::handleMouseEvent<Delivery>(window, local, global, Qt::LeftButton, Qt::LeftButton,
                                                       QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<Delivery>(window, local, global, Qt::NoButton, Qt::LeftButton,
                                                       QEvent::MouseButtonRelease);
}

void key(QWidget* w, Qt::Key key)
{
    QWindow* window = w->window()->windowHandle();
    QWindowSystemInterface::handleKeyEvent<Delivery>(window, QEvent::KeyPress, key, Qt::NoModifier);
    QWindowSystemInterface::handleKeyEvent<Delivery>(window, QEvent::KeyRelease, key, Qt::NoModifier);
}

} // namespace QueuedInput
