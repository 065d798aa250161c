// The application object as the program makes it: the windows' icon and their titles.
#include <QTest>

#include "Shots.h"
#include "app/QuillmereApplication.h"
#include "app/dialogs/FilterForm.h"
#include "app/mainform/MainForm.h"
#include "support/ScriptedPrompter.h"

class QuillmereApplicationTest : public QObject {
    Q_OBJECT
private slots:
    void EveryWindowHasTheIcon();
    void TitlesStandAsSet();
};

void QuillmereApplicationTest::EveryWindowHasTheIcon() {
    const QIcon icon = QApplication::windowIcon();
    QVERIFY(!icon.isNull());
    const QImage image = icon.pixmap(64, 64).toImage();
    QVERIFY(image.save(qm::test::ShotPath(QStringLiteral("icon.png"))));
    // Drawn, not blank: some opaque and some transparent pixels.
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            opaque += qAlpha(image.pixel(x, y)) == 255 ? 1 : 0;
        }
    }
    QVERIFY(opaque > image.width() * image.height() / 4);
    QVERIFY(opaque < image.width() * image.height());
    QVERIFY(!icon.pixmap(16, 16).isNull());

    qm::test::ScriptedPrompter prompter;
    qm::app::TfrmMain window(&prompter);
    qm::app::TfrmFilter dialog(&window);
    QCOMPARE(window.windowIcon().cacheKey(), icon.cacheKey());
    QCOMPARE(dialog.windowIcon().cacheKey(), icon.cacheKey());
}

void QuillmereApplicationTest::TitlesStandAsSet() {
    // The platform appends a display name set for the application to every window title
    // ("Quillmere v1.0.0.1 — Quillmere"). Without one, the display name follows the name.
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Quillmere"));
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    const QString displayName = QGuiApplication::applicationDisplayName();
    QCoreApplication::setApplicationName(QStringLiteral("Quillmere"));
    QCOMPARE(displayName, QStringLiteral("probe"));
}

int main(int argc, char** argv) {
    qm::app::QuillmereApplication application(argc, argv);
    QuillmereApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QuillmereApplicationTest.moc"
