// The window's file dialogs: the program's "|"-separated filters in Qt's form, and Qt's own dialog
// driven as a user would, typing a name without extension.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "app/dialogs/FileChooser.h"
#include "support/TempTree.h"

using qm::app::FileChoice;
using qm::app::QtFileChooser;

namespace {

// Runs action on the file dialog once it shows.
void WhenFileDialog(std::function<void(QFileDialog*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
        }
    });
    timer->start();
}

}  // namespace

class FileChooserTest : public QObject {
    Q_OBJECT
private slots:
    void NameFilters_data();
    void NameFilters();
    void SaveAddsTheDefaultExtension();
    void OpenCancelled();
};

void FileChooserTest::NameFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("results file") << "Quillmere Search Results|*.dat|All Files (*.*)|*.*"
                                  << QStringList{"Quillmere Search Results (*.dat)",
                                                 "All Files (*)"};
    QTest::newRow("patterns named without a blank")
        << "CSV File (*.csv)|*.csv|All Files(*.*)|*.*"
        << QStringList{"CSV File (*.csv)", "All Files(*)"};
    QTest::newRow("several patterns")
        << "Pictures|*.jpg;*.png" << QStringList{"Pictures (*.jpg *.png)"};
    QTest::newRow("a description without patterns is dropped")
        << "Text Files (*.Txt)|*.Txt|Dangling" << QStringList{"Text Files (*.Txt)"};
    QTest::newRow("empty") << "" << QStringList{};
}

void FileChooserTest::NameFilters() {
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(qm::app::QtNameFilters(filter.toStdString()), expected);
}

void FileChooserTest::SaveAddsTheDefaultExtension() {
    const qm::test::TempTree files;
    FileChoice choice;
    choice.title = "Export File...";
    choice.filter = "Rich Text Files (*.RTF)|*.RTF|All Files(*.*)|*.*";
    choice.defaultExtension = "RTF";
    choice.folder = files.Root();
    QString title;
    QStringList filters;
    QString suffix;
    QString folder;
    WhenFileDialog([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        suffix = dialog->defaultSuffix();
        folder = dialog->directory().absolutePath();
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name != nullptr);
        name->setText(QStringLiteral("report"));
        QTest::keyClick(name, Qt::Key_Return);
    });

    QtFileChooser chooser;
    const std::optional<std::string> path = chooser.ChooseSaveFile(choice);

    QCOMPARE(title, QStringLiteral("Export File..."));
    QCOMPARE(filters, QStringList({"Rich Text Files (*.RTF)", "All Files(*)"}));
    QCOMPARE(suffix, QStringLiteral("rtf"));
    QCOMPARE(folder + QLatin1Char('/'), QString::fromStdString(files.Root()));
    QVERIFY(path.has_value());
    QCOMPARE(QString::fromStdString(*path), QString::fromStdString(files.Path("report.rtf")));
}

void FileChooserTest::OpenCancelled() {
    WhenFileDialog([](QFileDialog* dialog) {
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
        dialog->reject();
    });
    QtFileChooser chooser;
    QVERIFY(!chooser.ChooseOpenFile(FileChoice{}).has_value());
}

QTEST_MAIN(FileChooserTest)
#include "FileChooserTest.moc"
