#include "appinfo.h"
#include "maindialog.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // Names are set before the window is built so every read and write of
    // the application settings goes to one file.
    QCoreApplication::setOrganizationName(appinfo::OrganisationName);
    QCoreApplication::setApplicationName(appinfo::ApplicationName);
    MainDialog window;
    window.show();
    return app.exec();
}
