// The image preview of the results view: the floating panel, which files it shows (by the
// upper-cased extension), the keep-the-last-picture rule, the toggle, the two picture controls,
// and decoding off the GUI thread. The real window after a real search over picture files.
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <memory>
#include <string>

#include "ResultsWindowFixture.h"
#include "app/mainform/MainForm.h"
#include "app/results/ImagePreviewPanel.h"
#include "app/widgets/PictureLoader.h"
#include "app/widgets/PictureView.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"
#include "widgets/GifWriter.h"
#include "widgets/MetafileWriter.h"

using qm::app::ImagePreviewPanel;
using qm::app::PictureLoader;
using qm::app::TfrmMain;
using qm::results::ResultTree;
using qm::test::Content;
using qm::test::FocusRow;
using qm::test::ImageBytes;
using qm::test::NodeOfPath;
using qm::test::RootOfKey;
using qm::test::TempTree;
using Kind = ImagePreviewPanel::PictureKind;

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 160, 0);

// Two copies of every picture, so that each is a duplicate set of the search.
std::unique_ptr<TempTree> PictureTree() {
    const std::string photo =
        ImageBytes(qm::test::TwoHalves(QSize(800, 400), kRed, kBlue), "jpg", 95);
    QImage small(40, 20, QImage::Format_RGB32);
    small.fill(kGreen);
    const std::string png = ImageBytes(small, "png");
    QImage square(100, 100, QImage::Format_RGB32);
    square.fill(Qt::yellow);
    const std::string tif = ImageBytes(square, "png");  // decodable: only its name keeps it out
    QImage magenta(30, 30, QImage::Format_RGB32);
    magenta.fill(Qt::magenta);
    const std::string gone = ImageBytes(magenta, "png");
    const std::string gif = qm::test::AnimatedGif({0, 1, 2}, 5).toStdString();
    const std::string emf = qm::test::EmfWriter(QSize(100, 50))
                                .Brush(1, kRed)
                                .Select(1)
                                .Rectangle(QRect(10, 10, 80, 30))
                                .Finish()
                                .toStdString();
    auto tree = std::make_unique<TempTree>();
    for (const char* folder : {"a/", "b/"}) {
        const std::string f = folder;
        tree->Add({{f + "photo.jpg", Content(photo)},
                   {f + "shot.png", Content(png)},
                   {f + "scan.tif", Content(tif)},
                   {f + "anim.gif", Content(gif)},
                   {f + "draw.emf", Content(emf)},
                   {f + "broken.jpg", Content("this is no picture at all")},
                   {f + "gone.png", Content(gone)},
                   {f + "notes.txt", Content("a text")}});
    }
    return tree;
}

}  // namespace

class MainFormPreviewTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void ExtensionDecidesTheControl_data();
    void ExtensionDecidesTheControl();
    void PanelPlaceCaptionAndViews();
    void ToggleIsASetting();
    void LowerCasePngShowsUnenlargedAndCentred();
    void PhotoShrinksToFitKeepingItsProportions();
    void OtherExtensionKeepsTheLastPicture();
    void ToggleUpChangesNothingUntilFocusMoves();
    void AnimatedGifPlaysInItsOwnControl();
    void MetafileDrawingShows();
    void UndecodableOrMissingFileLeavesThePreview();
    void DragAndResize();
    void HugeDecodeDoesNotHoldTheWindow();

private:
    ResultTree::NodeId Row(const std::string& relative) const {
        return NodeOfPath(*w, tree->Path(relative));
    }
    // Focuses a picture's row and waits until it shows.
    bool Show(const std::string& relative) {
        QSignalSpy shown(w->PreviewPanel, &ImagePreviewPanel::PictureShown);
        FocusRow(*w, Row(relative));
        return shown.wait(10000) && w->PreviewPanel->ShownPath() == tree->Path(relative);
    }

    std::unique_ptr<TempTree> tree;
    std::unique_ptr<qm::test::ScriptedPrompter> prompter;
    std::unique_ptr<TfrmMain> w;
};

void MainFormPreviewTest::init() {
    tree = PictureTree();
    prompter = std::make_unique<qm::test::ScriptedPrompter>();
    w = std::make_unique<TfrmMain>(prompter.get());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
}

void MainFormPreviewTest::cleanup() {
    QCOMPARE(prompter->unexpected, 0);
    w.reset();
    prompter.reset();
    tree.reset();
}

void MainFormPreviewTest::ExtensionDecidesTheControl_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    const auto row = [](const char* name, Kind kind) {
        QTest::newRow(name) << QString::fromLatin1(name) << static_cast<int>(kind);
    };
    for (const char* still : {"a.jpg", "a.JPG", "a.jpeg", "a.JpEg", "a.bmp", "a.wmf", "a.ico",
                              "a.emf", "a.png", "a.PNG", "holiday.2023.png", ".png"}) {
        row(still, Kind::Still);
    }
    row("a.gif", Kind::Animated);
    row("a.Gif", Kind::Animated);
    for (const char* other :
         {"a.tif", "a.tiff", "a.jpe", "a.webp", "a.png.txt", "png", "a.", "", "a.jpg "}) {
        row(other, Kind::None);
    }
}

void MainFormPreviewTest::ExtensionDecidesTheControl() {
    QFETCH(QString, name);
    QFETCH(int, kind);
    QCOMPARE(static_cast<int>(ImagePreviewPanel::KindOfName(name.toStdString())), kind);
}

void MainFormPreviewTest::PanelPlaceCaptionAndViews() {
    ImagePreviewPanel* panel = w->PreviewPanel;
    QCOMPARE(panel->objectName(), QStringLiteral("PreviewPanel"));
    QVERIFY(!panel->isVisible());
    QCOMPARE(panel->geometry(), QRect(408, 64, 241, 193));
    QCOMPARE(panel->parentWidget(), w->centralWidget());
    QCOMPARE(panel->CaptionBar()->text(), QStringLiteral("Image Preview"));
    QVERIFY(panel->CaptionBar()->font().bold());
    QCOMPARE(panel->CaptionBar()->palette().color(QPalette::Window), QColor(0, 0, 128));
    QCOMPARE(panel->CaptionBar()->palette().color(QPalette::WindowText), QColor(Qt::white));
    QCOMPARE(w->ImageDisp1->objectName(), QStringLiteral("ImageDisp1"));
    QCOMPARE(w->ImageDisp2->objectName(), QStringLiteral("ImageDisp2"));
    QVERIFY(w->ImageDisp1->Animates());
    QVERIFY(!w->ImageDisp2->Animates());

    // A search with results shows it with the results view; the options view hides it; the way
    // back to the results shows it again.
    QVERIFY(qm::test::SearchAll(*w, tree->Root()));
    QVERIFY(panel->isVisible());
    QTest::mouseClick(w->HideOptionsBtn, Qt::LeftButton);
    QVERIFY(!panel->isVisible());
    QTest::mouseClick(w->ViewSearchResultsBtn, Qt::LeftButton);
    QVERIFY(panel->isVisible());
    // Up, it stays away on both ways.
    QTest::mouseClick(w->PreviewImageCB, Qt::LeftButton);
    QVERIFY(!panel->isVisible());
    QTest::mouseClick(w->HideOptionsBtn, Qt::LeftButton);
    QTest::mouseClick(w->ViewSearchResultsBtn, Qt::LeftButton);
    QVERIFY(!panel->isVisible());
    QTest::mouseClick(w->PreviewImageCB, Qt::LeftButton);
    QVERIFY(panel->isVisible());
}

void MainFormPreviewTest::ToggleIsASetting() {
    QVERIFY(w->CurrentSettings().previewImages);
    qm::scope::SearchSettings settings = w->CurrentSettings();
    settings.previewImages = false;
    w->ApplySettings(settings);
    QVERIFY(!w->PreviewImageCB->isChecked());
    QVERIFY(!w->CurrentSettings().previewImages);
    // A loaded setting moves the toggle, never the panel.
    settings.previewImages = true;
    w->ApplySettings(settings);
    QVERIFY(w->PreviewImageCB->isChecked());
    QVERIFY(!w->PreviewPanel->isVisible());
}

void MainFormPreviewTest::LowerCasePngShowsUnenlargedAndCentred() {
    QVERIFY(qm::test::SearchAll(*w, tree->Root()));
    QVERIFY(Show("a/shot.png"));
    QVERIFY(w->ImageDisp2->isVisible());
    QVERIFY(!w->ImageDisp1->isVisible());
    const QRect picture = w->ImageDisp2->PictureRect();
    QCOMPARE(picture.size(), QSize(40, 20));
    const QPoint offCentre = picture.center() - w->ImageDisp2->contentsRect().center();
    QVERIFY(qAbs(offCentre.x()) <= 1 && qAbs(offCentre.y()) <= 1);
    const QImage shot = w->ImageDisp2->grab().toImage();
    QCOMPARE(shot.pixelColor(picture.center()), kGreen);
}

void MainFormPreviewTest::PhotoShrinksToFitKeepingItsProportions() {
    QVERIFY(qm::test::SearchAll(*w, tree->Root()));
    QVERIFY(Show("b/photo.jpg"));
    const QRect area = w->ImageDisp2->contentsRect();
    const QRect picture = w->ImageDisp2->PictureRect();
    QVERIFY(area.contains(picture));
    QVERIFY(picture.width() == area.width() || picture.height() == area.height());
    QVERIFY(qAbs(picture.width() - 2 * picture.height()) <= 1);
    QVERIFY(qAbs(picture.center().x() - area.center().x()) <= 1);
    QVERIFY(qAbs(picture.center().y() - area.center().y()) <= 1);
    // Decoded no larger than needed.
    const QSize decoded = w->ImageDisp2->Picture().image.size();
    QVERIFY(decoded.width() <= w->PreviewPanel->PictureBox().width());
    QCOMPARE(w->ImageDisp2->Picture().sourceSize, QSize(800, 400));
    const QImage shot = w->ImageDisp2->grab().toImage();
    const int y = picture.center().y();
    const QColor left = shot.pixelColor(picture.left() + picture.width() / 4, y);
    const QColor right = shot.pixelColor(picture.left() + 3 * picture.width() / 4, y);
    QVERIFY2(left.red() > 200 && left.blue() < 60, qPrintable(left.name()));
    QVERIFY2(right.blue() > 200 && right.red() < 60, qPrintable(right.name()));
}

void MainFormPreviewTest::OtherExtensionKeepsTheLastPicture() {
    QVERIFY(qm::test::SearchAll(*w, tree->Root()));
    QVERIFY(Show("a/photo.jpg"));
    const QSize before = w->ImageDisp2->Picture().image.size();
    QSignalSpy shown(w->PreviewPanel, &ImagePreviewPanel::PictureShown);
    for (const char* other : {"a/scan.tif", "b/notes.txt"}) {
        FocusRow(*w, Row(other));
        QVERIFY(!w->PreviewPanel->Loader().Busy());  // nothing was asked for
    }
    FocusRow(*w, RootOfKey(*w, "*.PNG"));
    QVERIFY(!w->PreviewPanel->Loader().Busy());
    QTest::qWait(50);
    QCOMPARE(shown.count(), 0);
    QCOMPARE(w->PreviewPanel->ShownPath(), tree->Path("a/photo.jpg"));
    QCOMPARE(w->ImageDisp2->Picture().image.size(), before);
    QVERIFY(w->ImageDisp2->isVisible());
}

void MainFormPreviewTest::ToggleUpChangesNothingUntilFocusMoves() {
    QVERIFY(qm::test::SearchAll(*w, tree->Root()));
    QVERIFY(Show("a/shot.png"));
    QTest::mouseClick(w->PreviewImageCB, Qt::LeftButton);
    QVERIFY(!w->PreviewImageCB->isChecked());
    QVERIFY(!w->PreviewPanel->isVisible());
    FocusRow(*w, Row("a/photo.jpg"));
    QVERIFY(!w->PreviewPanel->Loader().Busy());
    // Down again: the previous picture, until the focus moves.
    QTest::mouseClick(w->PreviewImageCB, Qt::LeftButton);
    QVERIFY(w->PreviewPanel->isVisible());
    QCOMPARE(w->PreviewPanel->ShownPath(), tree->Path("a/shot.png"));
    QCOMPARE(w->ImageDisp2->Picture().sourceSize, QSize(40, 20));
    QVERIFY(Show("b/photo.jpg"));
    QCOMPARE(w->ImageDisp2->Picture().sourceSize, QSize(800, 400));
}

void MainFormPreviewTest::AnimatedGifPlaysInItsOwnControl() {
    QVERIFY(qm::test::SearchAll(*w, tree->Root()));
    QVERIFY(Show("a/photo.jpg"));
    QVERIFY(Show("b/anim.gif"));
    QVERIFY(w->ImageDisp1->isVisible());
    QVERIFY(!w->ImageDisp2->isVisible());
    QCOMPARE(w->ImageDisp1->Picture().frames.size(), 3);
    QVERIFY(w->ImageDisp1->Playing());
    QTRY_VERIFY_WITH_TIMEOUT(w->ImageDisp1->CurrentFrame() > 0, 5000);
    // Shown no larger than its 4 by 4 pixels.
    QCOMPARE(w->ImageDisp1->PictureRect().size(), QSize(4, 4));
    // Back to a still picture: the animation rests out of sight.
    QVERIFY(Show("a/photo.jpg"));
    QVERIFY(w->ImageDisp2->isVisible());
    QVERIFY(!w->ImageDisp1->isVisible());
    QVERIFY(!w->ImageDisp1->Playing());
}

void MainFormPreviewTest::MetafileDrawingShows() {
    QVERIFY(qm::test::SearchAll(*w, tree->Root()));
    QVERIFY(Show("a/draw.emf"));
    QVERIFY(w->ImageDisp2->isVisible());
    const QRect picture = w->ImageDisp2->PictureRect();
    QVERIFY(!picture.isEmpty());
    const QImage shot = w->ImageDisp2->grab().toImage();
    QCOMPARE(shot.pixelColor(picture.center()), kRed);
    // Outside the rectangle the drawing's own background.
    QVERIFY(shot.pixelColor(picture.topLeft() + QPoint(1, 1)) != kRed);
}

void MainFormPreviewTest::UndecodableOrMissingFileLeavesThePreview() {
    QVERIFY(qm::test::SearchAll(*w, tree->Root()));
    QVERIFY(Show("a/shot.png"));
    QSignalSpy failed(&w->PreviewPanel->Loader(), &PictureLoader::PictureFailed);
    QSignalSpy shown(w->PreviewPanel, &ImagePreviewPanel::PictureShown);
    FocusRow(*w, Row("b/broken.jpg"));
    QVERIFY(failed.wait(10000));
    tree->Remove("a/gone.png");
    FocusRow(*w, Row("a/gone.png"));
    QVERIFY(!w->PreviewPanel->Loader().Busy());
    QCOMPARE(shown.count(), 0);
    QCOMPARE(w->PreviewPanel->ShownPath(), tree->Path("a/shot.png"));
    QCOMPARE(w->ImageDisp2->Picture().sourceSize, QSize(40, 20));
    QVERIFY(w->ImageDisp2->isVisible());
    QVERIFY(prompter->messages.empty());
}

void MainFormPreviewTest::DragAndResize() {
    QVERIFY(qm::test::SearchAll(*w, tree->Root()));
    ImagePreviewPanel* panel = w->PreviewPanel;
    QVERIFY(Show("a/photo.jpg"));
    const QSize smallDecode = w->ImageDisp2->Picture().image.size();

    // By the caption bar.
    const QPoint grip = panel->CaptionBar()->geometry().center();
    QTest::mousePress(panel, Qt::LeftButton, {}, grip);
    QTest::mouseMove(panel, grip + QPoint(-100, 40));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, grip + QPoint(-100, 40));
    QCOMPARE(panel->pos(), QPoint(308, 104));
    QCOMPARE(panel->size(), QSize(241, 193));

    // By the bottom-right corner: larger, and the picture is decoded again to fill it.
    QSignalSpy shown(panel, &ImagePreviewPanel::PictureShown);
    const QPoint corner(panel->width() - 2, panel->height() - 2);
    QTest::mousePress(panel, Qt::LeftButton, {}, corner);
    QTest::mouseMove(panel, corner + QPoint(160, 120));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, corner + QPoint(160, 120));
    QCOMPARE(panel->size(), QSize(401, 313));
    QCOMPARE(panel->pos(), QPoint(308, 104));
    QVERIFY(shown.wait(10000));
    QVERIFY(w->ImageDisp2->Picture().image.width() > smallDecode.width());
    QCOMPARE(w->PreviewPanel->ShownPath(), tree->Path("a/photo.jpg"));

    // Never smaller than a usable least size.
    const QPoint newCorner(panel->width() - 2, panel->height() - 2);
    QTest::mousePress(panel, Qt::LeftButton, {}, newCorner);
    QTest::mouseMove(panel, newCorner - QPoint(1000, 1000));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, newCorner - QPoint(1000, 1000));
    QCOMPARE(panel->size(), ImagePreviewPanel::kMinimumSize);
}

void MainFormPreviewTest::HugeDecodeDoesNotHoldTheWindow() {
    // A 50-megapixel photo.
    QImage huge(8660, 5774, QImage::Format_Grayscale8);
    for (int y = 0; y < huge.height(); ++y) {
        uchar* line = huge.scanLine(y);
        for (int x = 0; x < huge.width(); ++x) {
            line[x] = static_cast<uchar>((x / 37 + y / 23) & 0xff);
        }
    }
    const std::string bytes = ImageBytes(huge, "jpg", 50);
    huge = QImage();
    tree->Add({{"big/huge.jpg", Content(bytes)}, {"big copy/huge.jpg", Content(bytes)}});
    QVERIFY(qm::test::SearchAll(*w, tree->Root()));
    QVERIFY(Show("a/shot.png"));

    QSignalSpy shown(w->PreviewPanel, &ImagePreviewPanel::PictureShown);
    FocusRow(*w, Row("big/huge.jpg"));
    // The focus change has returned with the decode still to come: the window goes on.
    QVERIFY(w->PreviewPanel->Loader().Busy());
    QCOMPARE(w->PreviewPanel->ShownPath(), tree->Path("a/shot.png"));
    QCOMPARE(shown.count(), 0);
    QVERIFY(w->OpenTargetBtn->isEnabled());
    // Later the picture arrives, decoded small.
    QVERIFY(shown.wait(60000));
    QCOMPARE(w->PreviewPanel->ShownPath(), tree->Path("big/huge.jpg"));
    QCOMPARE(w->ImageDisp2->Picture().sourceSize, QSize(8660, 5774));
    const QSize box = w->PreviewPanel->PictureBox();
    QVERIFY(w->ImageDisp2->Picture().image.width() <= box.width());
    QVERIFY(w->ImageDisp2->Picture().image.height() <= box.height());
}

QTEST_MAIN(MainFormPreviewTest)
#include "MainFormPreviewTest.moc"
