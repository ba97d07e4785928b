#include "dialogfault.h"

#include "ui_dialogfault.h"

#include <cstdlib>

DialogFault::DialogFault(QWidget* parent) : QDialog(parent), ui(new Ui::DialogFault)
{
    ui->setupUi(this);
    connect(ui->ButtonOk, &QPushButton::clicked, this, &DialogFault::exitSlot);
}

DialogFault::~DialogFault()
{
    delete ui;
}

void DialogFault::SetCode(const QString& code)
{
    ui->CODE->setText(code);
}

QString DialogFault::code() const
{
    return ui->CODE->text();
}

QString DialogFault::FormatCode(const QString& tag, int location, int error)
{
    return tag + QString("%1 (%2)").arg(location).arg(error);
}

std::function<void(int)>& DialogFault::exitHandler()
{
    static std::function<void(int)> handler = [](int status) { std::exit(status); };
    return handler;
}

void DialogFault::exitSlot()
{
    exitHandler()(1);
}
