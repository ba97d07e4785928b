#include "framelessdialog.h"

#include <QCloseEvent>

FramelessDialog::FramelessDialog(QWidget* parent, OnClose onClose) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowOpacity(0.95);
    setAttribute(Qt::WA_DeleteOnClose, onClose == OnClose::Delete);
}

void FramelessDialog::closeEvent(QCloseEvent* event)
{
    if (!closing) {
        closing = true;
        windowClosing();
    }
    event->accept();
}

// A kept window shown again closes again.
void FramelessDialog::showEvent(QShowEvent* event)
{
    closing = false;
    QDialog::showEvent(event);
}

void FramelessDialog::reject()
{
    close();
}

void FramelessDialog::mousePressEvent(QMouseEvent* event)
{
    drag.press(this, event);
}

void FramelessDialog::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint to = drag.destination(event);
    if (!keepOnScreen || (to.x() >= 1 && to.y() >= 1))
        drag.move(this, event);
}
