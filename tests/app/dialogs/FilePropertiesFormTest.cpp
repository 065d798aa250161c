// The properties dialog of a listed file, on fixture files whose facts the test sets: the values
// it shows and how it closes.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <ctime>

#include "Shots.h"
#include "app/dialogs/FilePropertiesForm.h"
#include "platform/FileDetails.h"
#include "support/TempTree.h"

using qm::app::TfrmFileProperties;
using qm::platform::ReadFileDetails;
using qm::test::Content;
using qm::test::HardLinkTo;
using qm::test::Seconds;
using qm::test::TempTree;
using qm::test::Zeros;

namespace {

std::string PngBytes() {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::cyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes.toStdString();
}

// The dialog for tree path relative, made as the file commands make it.
std::unique_ptr<TfrmFileProperties> Dialog(const TempTree& tree, const std::string& folder,
                                           const std::string& name) {
    return std::make_unique<TfrmFileProperties>(
        tree.Path(folder), name,
        ReadFileDetails(tree.Path(folder + name), TfrmFileProperties::kTypeSniffBytes));
}

}  // namespace

class FilePropertiesFormTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void ShowsTheFactsOfTheFile();
    void SizeInBytesAndUnits_data();
    void SizeInBytesAndUnits();
    void TypeComesFromTheContentAndName_data();
    void TypeComesFromTheContentAndName();
    void OkAndEscapeClose();
};

void FilePropertiesFormTest::initTestCase() {
    // Times and numbers as one known locale and zone write them.
    qputenv("TZ", "UTC");
    tzset();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void FilePropertiesFormTest::ShowsTheFactsOfTheFile() {
    TempTree tree({{"Pictures/holiday photo.png", Content(PngBytes())
                                                      .WithMode(0640)
                                                      .WithMTime(Seconds(1'710'408'412))
                                                      .WithATime(Seconds(1'700'000'000))},
                   {"Backup/holiday photo.png", HardLinkTo("Pictures/holiday photo.png")}});
    const std::string path = tree.Path("Pictures/holiday photo.png");
    struct stat st {};
    QCOMPARE(lstat(path.c_str(), &st), 0);
    auto dialog = Dialog(tree, "Pictures/", "holiday photo.png");

    QCOMPARE(dialog->windowTitle(), QStringLiteral("holiday photo.png Properties"));
    QCOMPARE(dialog->NameValue->text(), QStringLiteral("holiday photo.png"));
    QCOMPARE(dialog->FolderValue->text(), QString::fromStdString(tree.Path("Pictures/")));
    QCOMPARE(dialog->SizeValue->text(), QStringLiteral("%1 bytes").arg(st.st_size));
    QVERIFY(dialog->TypeValue->text().endsWith(QStringLiteral("(image/png)")));
    QCOMPARE(dialog->ModifiedValue->text(),
             QStringLiteral("Thursday, March 14, 2024 9:26:52 AM UTC"));
    QCOMPARE(dialog->AccessedValue->text(),
             QStringLiteral("Tuesday, November 14, 2023 10:13:20 PM UTC"));
    // Made just now, where the file system keeps it at all.
    const QString created = dialog->CreatedValue->text();
    QVERIFY2(created == QStringLiteral("Not recorded by this file system") ||
                 created.contains(QString::number(QDate::currentDate().year())),
             qPrintable(created));
    QCOMPARE(dialog->PermissionsValue->text(), QStringLiteral("-rw-r----- (0640)"));
    const passwd* owner = getpwuid(st.st_uid);
    const group* grp = getgrgid(st.st_gid);
    QVERIFY(owner != nullptr && grp != nullptr);
    QCOMPARE(dialog->OwnerValue->text(),
             QStringLiteral("%1 (%2)").arg(QString::fromLocal8Bit(owner->pw_name)).arg(st.st_uid));
    QCOMPARE(dialog->GroupValue->text(),
             QStringLiteral("%1 (%2)").arg(QString::fromLocal8Bit(grp->gr_name)).arg(st.st_gid));
    QCOMPARE(dialog->DeviceValue->text(),
             QStringLiteral("%1:%2").arg(major(st.st_dev)).arg(minor(st.st_dev)));
    QCOMPARE(dialog->FileIdValue->text(), QString::number(st.st_ino));
    QCOMPARE(dialog->LinksValue->text(), QStringLiteral("2"));
    // Every value can be selected and copied.
    QVERIFY(dialog->FolderValue->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));

    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QVERIFY(dialog->grab().save(qm::test::ShotPath(QStringLiteral("file-properties.png"))));
}

void FilePropertiesFormTest::SizeInBytesAndUnits_data() {
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << qint64{0} << "0 bytes";
    QTest::newRow("below a kilobyte") << qint64{1023} << "1,023 bytes";
    QTest::newRow("a kilobyte") << qint64{1024} << "1.00 kB (1,024 bytes)";
    QTest::newRow("megabytes") << qint64{2'500'000} << "2.38 MB (2,500,000 bytes)";
    QTest::newRow("beyond 4 GiB") << qint64{5'000'000'000} << "4.66 GB (5,000,000,000 bytes)";
}

void FilePropertiesFormTest::SizeInBytesAndUnits() {
    QFETCH(qint64, size);
    QFETCH(QString, text);
    QCOMPARE(TfrmFileProperties::SizeText(size, QLocale()), text);
}

void FilePropertiesFormTest::TypeComesFromTheContentAndName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("mime");
    QTest::newRow("png") << "shot.png" << QByteArray::fromStdString(PngBytes()) << "image/png";
    QTest::newRow("png under another name")
        << "shot.dat" << QByteArray::fromStdString(PngBytes()) << "image/png";
    QTest::newRow("text without extension")
        << "shopping" << QByteArray("plain words\n") << "text/plain";
}

void FilePropertiesFormTest::TypeComesFromTheContentAndName() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, mime);
    TempTree tree({{name.toStdString(), Content(content.toStdString())}});
    auto dialog = Dialog(tree, "", name.toStdString());
    QVERIFY2(dialog->TypeValue->text().endsWith(QStringLiteral("(%1)").arg(mime)),
             qPrintable(dialog->TypeValue->text()));
}

void FilePropertiesFormTest::OkAndEscapeClose() {
    TempTree tree({{"big.bin", Zeros(4096)}});
    for (const bool viaOk : {true, false}) {
        auto dialog = Dialog(tree, "", "big.bin");
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QTest::keyClick(dialog.get(), Qt::Key_Escape, Qt::ShiftModifier);
        QVERIFY(dialog->isVisible());  // Esc with Shift does nothing
        if (viaOk) {
            QTest::mouseClick(dialog->OkBtn, Qt::LeftButton);
        } else {
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
        }
        QVERIFY(!dialog->isVisible());
    }
}

QTEST_MAIN(FilePropertiesFormTest)
#include "FilePropertiesFormTest.moc"
