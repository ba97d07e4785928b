#pragma once
// A secondary window of the console: a frameless dialog at opacity 0.95,
// dragged with the left mouse button. Every way of closing it (its close
// button calling close(), the Escape key, a close() from its owner) runs
// windowClosing() once per showing, while the owner still holds the window,
// so that the owner can be told to forget it or to poll a flag.
//
// A deleting window (the default) deletes itself once closed; a kept window
// is only hidden, and its owner shows it again or deletes it.

#include "windowdrag.h"

#include <QDialog>

class FramelessDialog : public QDialog
{
    Q_OBJECT
public:
    enum class OnClose
    {
        Delete, // closing deletes the window
        Keep,   // closing hides it; the owner decides its end
    };
    explicit FramelessDialog(QWidget* parent = nullptr, OnClose onClose = OnClose::Delete);

protected:
    // Runs once each time the window starts closing.
    virtual void windowClosing() {}
    // Dragging only to positions whose coordinates are both at least 1.
    void setKeepOnScreen(bool on) { keepOnScreen = on; }

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void reject() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    WindowDrag drag;
    bool keepOnScreen = false;
    bool closing = false;
};
