#pragma once
// Dragging a frameless window with the left mouse button.

#include <QMouseEvent>
#include <QPoint>
#include <QWidget>

class WindowDrag
{
public:
    // A left press remembers where the window was taken.
    void press(QWidget* window, QMouseEvent* event)
    {
        if (event->button() == Qt::LeftButton) {
            offset = event->globalPos() - window->frameGeometry().topLeft();
            event->accept();
        }
    }
    // Moving with the left button held carries the window along.
    void move(QWidget* window, QMouseEvent* event)
    {
        if (event->buttons() & Qt::LeftButton) {
            window->move(event->globalPos() - offset);
            event->accept();
        }
    }

    // Where a move with the left button held would put the window.
    QPoint destination(const QMouseEvent* event) const { return event->globalPos() - offset; }

private:
    QPoint offset;
};
