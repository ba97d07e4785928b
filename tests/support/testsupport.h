#pragma once
// Helpers shared by the tests: a private settings and storage folder, and
// optional window grabs for review.

#include "appinfo.h"
#include <QCoreApplication>
#include <QDir>
#include <QNetworkInterface>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTime>
#include <QVector>
#include <QtGlobal>
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QTest>
#include <QWidget>
#endif

namespace testsupport {

// Redirects every user-scope INI store (and so every storage folder derived
// from it) to a fresh temporary folder. Call at the start of a test case.
class SandboxSettings
{
public:
    SandboxSettings()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    }
    QString path() const { return dir.path(); }

private:
    QTemporaryDir dir;
};

// For tests that broadcast: the first interface present besides loopback and
// the allowed ones (empty when there is none), so that a test run outside its
// network namespace stops before it sends anything.
inline QString unexpectedInterface(const QStringList& allowed = {})
{
    for (const QNetworkInterface& ni : QNetworkInterface::allInterfaces())
        if (!(ni.flags() & QNetworkInterface::IsLoopBack) && !allowed.contains(ni.name()))
            return ni.name();
    return QString();
}

#ifdef QT_WIDGETS_LIB
// The texts of a list's items, in order.
inline QStringList itemTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// Clicks a list's row where the operator would.
inline void clickItem(QListWidget* list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

// The text of a window's label found by its object name.
inline QString labelText(const QWidget* w, const QString& name)
{
    const QLabel* label = w->findChild<QLabel*>(name);
    return label ? label->text() : "<no label " + name + ">";
}

// When SCREENSHOT_DIR is set, saves a PNG grab of the widget under that name.
inline void saveGrab(QWidget* w, const QString& name)
{
    const QString out = qEnvironmentVariable("SCREENSHOT_DIR");
    if (out.isEmpty() || !w)
        return;
    QDir().mkpath(out);
    w->grab().save(QDir(out).filePath(name + ".png"));
}
#endif

// Keeps the warnings of one logging category while it lives (for tests that
// check what the console logs); every other message goes on to the handler
// installed before.
class CategoryWarnings
{
public:
    explicit CategoryWarnings(const char* category)
    {
        s_category = category;
        s_lines.clear();
        s_previous = qInstallMessageHandler(handle);
    }
    ~CategoryWarnings() { qInstallMessageHandler(s_previous); }
    CategoryWarnings(const CategoryWarnings&) = delete;
    CategoryWarnings& operator=(const CategoryWarnings&) = delete;
    const QStringList& lines() const { return s_lines; }
    void clear() { s_lines.clear(); }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (type == QtWarningMsg && qstrcmp(context.category, s_category) == 0)
            s_lines << text;
        else if (s_previous)
            s_previous(type, context, text);
    }
    static inline const char* s_category = nullptr;
    static inline QtMessageHandler s_previous = nullptr;
    static inline QStringList s_lines;
};

// A record of a daily log as a board writes it: "hh:mm;v1;v2;...".
inline QByteArray logRecord(const QTime& time, const QVector<double>& values)
{
    QByteArray line = time.toString("hh:mm").toLatin1();
    for (double v : values)
        line += ';' + QByteArray::number(v);
    return line + '\n';
}

// Folder of the built programs (plantsim and the console), for tests that start them.
inline QString binaryDir()
{
    const QString d = qEnvironmentVariable("VELORA_BINARY_DIR");
    return d.isEmpty() ? QCoreApplication::applicationDirPath() + "/../.." : d;
}

} // namespace testsupport

#ifdef QT_WIDGETS_LIB
// A test main for the console's windows: the application is named as the
// console names itself before its window is built, so the plant window reads
// and writes the same settings file as the program.
#define VELORA_CONSOLE_TEST_MAIN(TestClass)                                                                  \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        QApplication app(argc, argv);                                                                        \
        QCoreApplication::setOrganizationName(appinfo::OrganisationName);                                    \
        QCoreApplication::setApplicationName(appinfo::ApplicationName);                                      \
        TestClass t;                                                                                         \
        return QTest::qExec(&t, argc, argv);                                                                 \
    }
#endif
