// The results view with the image preview, pictured for people to look at: a photo, an animated
// GIF and an EMF drawing, each focused in the tree after a real search.
#include <QLinearGradient>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "ResultsWindowFixture.h"
#include "Shots.h"
#include "app/mainform/MainForm.h"
#include "app/results/ImagePreviewPanel.h"
#include "app/widgets/PictureView.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"
#include "widgets/GifWriter.h"
#include "widgets/MetafileWriter.h"

using qm::app::ImagePreviewPanel;
using qm::app::TfrmMain;
using qm::test::Content;
using qm::test::TempTree;

namespace {

// A landscape: sky, sun, two hills.
QImage Photo() {
    QImage image(1600, 1000, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 700);
    sky.setColorAt(0, QColor(40, 90, 170));
    sky.setColorAt(1, QColor(250, 190, 120));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 220, 80));
    p.drawEllipse(QPoint(1150, 420), 130, 130);
    p.setBrush(QColor(60, 120, 60));
    p.drawEllipse(QRect(-300, 620, 1300, 800));
    p.setBrush(QColor(40, 95, 50));
    p.drawEllipse(QRect(600, 680, 1400, 800));
    return image;
}

// A ball rolling across, six frames.
QByteArray RollingBall() {
    const QSize size(96, 64);
    QList<QByteArray> frames;
    for (int f = 0; f < 6; ++f) {
        QByteArray pixels(size.width() * size.height(), '\0');
        const int cx = 16 + f * 13;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                char index = y > 52 ? 3 : 0;  // ground, sky
                if ((x - cx) * (x - cx) + (y - 38) * (y - 38) <= 14 * 14) {
                    index = (x - cx + f * 3) % 10 < 5 ? 1 : 2;  // a striped ball
                }
                pixels[y * size.width() + x] = index;
            }
        }
        frames << pixels;
    }
    return qm::test::PaletteGif(
        size,
        {QColor(225, 240, 255), QColor(220, 40, 40), QColor(250, 250, 250), QColor(90, 160, 70)},
        frames, 12);
}

// A drawing: a house with a sun, a caption and a framed picture inside.
QByteArray Drawing() {
    QImage inset(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            inset.setPixelColor(x, y, (x + y) % 2 ? QColor(30, 30, 120) : QColor(240, 240, 200));
        }
    }
    return qm::test::EmfWriter(QSize(160, 100))
        .Brush(1, QColor(255, 255, 235))
        .Select(1)
        .Rectangle(QRect(0, 0, 160, 100))
        .Brush(2, QColor(200, 60, 50))
        .Select(2)
        .Polygon16({{30, 50}, {70, 20}, {110, 50}})
        .Brush(3, QColor(230, 200, 150))
        .Select(3)
        .Rectangle(QRect(38, 50, 64, 40))
        .StretchDib(QRect(48, 58, 16, 16), inset)
        .Brush(4, QColor(250, 200, 30))
        .Select(4)
        .Ellipse(QRect(122, 8, 26, 26))
        .TextColor(QColor(20, 20, 20))
        .Font(5, -9)
        .Select(5)
        .TextW(QPoint(8, 88), QStringLiteral("Quillmere"), 6)
        .Finish();
}

}  // namespace

class MainFormPreviewScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void PreviewOfEachKind();
};

void MainFormPreviewScreenshotTest::PreviewOfEachKind() {
    const std::string photo = qm::test::ImageBytes(Photo(), "jpg", 90);
    const std::string gif = RollingBall().toStdString();
    const std::string emf = Drawing().toStdString();
    TempTree files({
        {"Pictures/2023/lake.jpg", Content(photo)},
        {"Backup/Pictures/lake.jpg", Content(photo)},
        {"Phone/DCIM/IMG_0412.jpg", Content(photo)},
        {"Downloads/rolling.gif", Content(gif)},
        {"Pictures/Fun/rolling.gif", Content(gif)},
        {"Documents/Drawings/house.emf", Content(emf)},
        {"Backup/Drawings/house.emf", Content(emf)},
        {"Documents/notes.txt", Content("shopping list")},
        {"Backup/notes.txt", Content("shopping list")},
    });
    qm::test::ScriptedPrompter prompter;
    TfrmMain w(&prompter);
    w.resize(900, 600);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(qm::test::SearchAll(w, files.Root()));
    QTest::mouseClick(w.InfoPanelCloseBtn, Qt::LeftButton);
    QTest::mouseClick(w.ExpandNodesBtn, Qt::LeftButton);
    QVERIFY(w.PreviewPanel->isVisible());

    const struct {
        const char* file;
        const char* shot;
    } views[] = {{"Backup/Pictures/lake.jpg", "results-preview-photo.png"},
                 {"Pictures/Fun/rolling.gif", "results-preview-gif.png"},
                 {"Documents/Drawings/house.emf", "results-preview-emf.png"}};
    for (const auto& view : views) {
        QSignalSpy shown(w.PreviewPanel, &ImagePreviewPanel::PictureShown);
        qm::test::FocusRow(w, qm::test::NodeOfPath(w, files.Path(view.file)));
        QVERIFY(shown.wait(10000));
        QTest::qWait(300);  // a few frames of the animation
        QVERIFY(w.grab().save(qm::test::ShotPath(QString::fromLatin1(view.shot))));
    }
}

QTEST_MAIN(MainFormPreviewScreenshotTest)
#include "MainFormPreviewScreenshotTest.moc"
