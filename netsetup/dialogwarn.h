#pragma once
// A small modeless warning window: a message and a close button.

#include "windowdrag.h"

#include <QDialog>

namespace Ui {
class DialogWarn;
}

class DialogWarn : public QDialog
{
    Q_OBJECT
public:
    explicit DialogWarn(QWidget* parent = nullptr);
    ~DialogWarn() override;

    void SetMessage(const QString& message);
    QString getTheMessage() const;

public slots:
    void on_ButtonClose_clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    Ui::DialogWarn* ui;
    WindowDrag drag;
};
