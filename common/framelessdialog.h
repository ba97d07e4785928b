#pragma once
// A secondary window of the console: a frameless dialog at opacity 0.95,
// dragged with the left mouse button, that deletes itself once closed. Every
// way of closing it (its close button calling close(), the Escape key, a
// close() from its owner) runs windowClosing() once, while the owner still
// holds the window, so that the owner can be told to forget it.

#include "windowdrag.h"

#include <QDialog>

class FramelessDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FramelessDialog(QWidget* parent = nullptr);

protected:
    // Runs once, when the window starts closing; it is deleted afterwards.
    virtual void windowClosing() = 0;
    // Dragging only to positions whose coordinates are both at least 1.
    void setKeepOnScreen(bool on) { keepOnScreen = on; }

    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    WindowDrag drag;
    bool keepOnScreen = false;
    bool closing = false;
};
