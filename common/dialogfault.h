#pragma once
// The fatal fault window: shows a code to report, and ends the program.

#include <QDialog>
#include <functional>

namespace Ui {
class DialogFault;
}

class DialogFault : public QDialog
{
    Q_OBJECT
public:
    explicit DialogFault(QWidget* parent = nullptr);
    ~DialogFault() override;

    void SetCode(const QString& code);
    QString code() const;

    // Builds "<tag>%1 (%2)" with a location and the run-time error number.
    static QString FormatCode(const QString& tag, int location, int error);

    // What "Ok" runs; by default it ends the process with status 1.
    // Tests replace it to observe the exit.
    static std::function<void(int)>& exitHandler();

public slots:
    void exitSlot();

private:
    Ui::DialogFault* ui;
};
