// The menu entry against the program it starts: the desktop matches a running window to its entry
// by the desktop file name (Wayland's app id) or by the X11 window class (StartupWMClass), and
// shows the entry's icon only when that is the name the package installs it under.
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTest>

#include "app/QuillmereApplication.h"

namespace {

// The keys of the [Desktop Entry] group.
QMap<QString, QString> DesktopEntry() {
    QFile file(QStringLiteral(QM_DESKTOP_FILE));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qWarning("cannot read %s", QM_DESKTOP_FILE);
        return {};
    }
    QMap<QString, QString> keys;
    QString group;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            group = line;
        } else if (group == QLatin1String("[Desktop Entry]") && line.contains(QLatin1Char('='))) {
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            keys.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
        }
    }
    return keys;
}

}  // namespace

class DesktopEntryTest : public QObject {
    Q_OBJECT
private slots:
    void TheEntryNamesTheRunningProgram();
};

void DesktopEntryTest::TheEntryNamesTheRunningProgram() {
    const QMap<QString, QString> entry = DesktopEntry();
    QVERIFY(!entry.isEmpty());
    QCOMPARE(QFileInfo(QStringLiteral(QM_DESKTOP_FILE)).completeBaseName(),
             QGuiApplication::desktopFileName());
    // Qt's X11 windows carry the application name as their class.
    QCOMPARE(entry.value(QStringLiteral("StartupWMClass")), QCoreApplication::applicationName());
    QCOMPARE(entry.value(QStringLiteral("Exec")).section(QLatin1Char(' '), 0, 0),
             QStringLiteral(QM_PROGRAM_NAME));
    QCOMPARE(entry.value(QStringLiteral("Icon")), QStringLiteral(QM_ICON_NAME));
}

int main(int argc, char** argv) {
    qm::app::QuillmereApplication application(argc, argv);
    DesktopEntryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DesktopEntryTest.moc"
