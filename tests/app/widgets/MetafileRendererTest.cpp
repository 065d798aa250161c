// The WMF/EMF renderer on small files written here: shapes, text and bitmaps land where their
// records put them, in their colours; broken files give no picture and never crash.

#include "MetafileWriter.h"
#include "app/widgets/DibDecoder.h"
#include "app/widgets/MetafileRenderer.h"

#include <QGuiApplication>
#include <QRandomGenerator>
#include <QtTest>

#include <optional>

using qm::app::DibDecoder;
using qm::app::MetafileRenderer;
using qm::test::EmfWriter;
using qm::test::LeBytes;
using qm::test::WmfWriter;

namespace {

const QColor kRed(220, 20, 30);
const QColor kBlue(10, 40, 200);
const QColor kGreen(20, 160, 40);

// A 2x2 bitmap with a different colour in each corner.
QImage Quadrants() {
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 255, 0));
    image.setPixel(0, 1, qRgb(0, 0, 255));
    image.setPixel(1, 1, qRgb(255, 255, 0));
    return image;
}

QImage Render(const QByteArray& file, QSize size = QSize(100, 100)) {
    const auto renderer = MetafileRenderer::Open(file);
    return renderer ? renderer->Render(size) : QImage();
}

bool Near(QRgb pixel, QColor expected, int tolerance = 12) {
    return qAlpha(pixel) == 255 && std::abs(qRed(pixel) - expected.red()) <= tolerance &&
           std::abs(qGreen(pixel) - expected.green()) <= tolerance &&
           std::abs(qBlue(pixel) - expected.blue()) <= tolerance;
}

QString Describe(QRgb p) {
    return QStringLiteral("argb(%1,%2,%3,%4)")
        .arg(qAlpha(p))
        .arg(qRed(p))
        .arg(qGreen(p))
        .arg(qBlue(p));
}

struct Probe {
    QPoint at;
    std::optional<QColor> color;  // none: background (transparent)
    bool edge = false;            // on an antialiased outline: partly covered
};

bool Matches(const Probe& probe, QRgb pixel) {
    if (!probe.color) {
        return qAlpha(pixel) == 0;
    }
    if (probe.edge) {
        return qAlpha(pixel) >= 64 &&
               Near(qRgb(qRed(pixel), qGreen(pixel), qBlue(pixel)), *probe.color);
    }
    return Near(pixel, *probe.color);
}

QByteArray SmallEmf() {
    return EmfWriter()
        .Brush(1, kRed)
        .Select(1)
        .Rectangle(QRect(QPoint(20, 20), QPoint(80, 60)))
        .Finish();
}

QByteArray SmallWmf() {
    return WmfWriter(QRect(QPoint(0, 0), QPoint(100, 100)), 96)
        .Brush(kRed)
        .Select(0)
        .Rectangle(QRect(QPoint(20, 20), QPoint(80, 60)))
        .Finish();
}

}  // namespace

Q_DECLARE_METATYPE(QList<Probe>)

class MetafileRendererTest : public QObject {
    Q_OBJECT

private slots:
    void drawsShapesAndBitmaps_data();
    void drawsShapesAndBitmaps();
    void drawsText_data();
    void drawsText();
    void mapsTheWindowOntoTheFrame_data();
    void mapsTheWindowOntoTheFrame();
    void naturalSizeComesFromTheHeader();
    void truncatedFilesGiveNoPicture_data();
    void truncatedFilesGiveNoPicture();
    void corruptRecordsGiveNoPictureOrSkipTheRecord_data();
    void corruptRecordsGiveNoPictureOrSkipTheRecord();
    void randomDamageNeverCrashes();
    void decodesBitmapFormats_data();
    void decodesBitmapFormats();
    void refusesImpossibleBitmaps();
    void sampleDrawing();
};

void MetafileRendererTest::drawsShapesAndBitmaps_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<Probe>>("probes");

    const QRect rect(QPoint(20, 20), QPoint(80, 60));
    const QList<Probe> rectProbes = {
        {{50, 40}, kRed}, {{25, 25}, kRed}, {{10, 10}, {}}, {{90, 40}, {}}, {{50, 75}, {}}};
    QTest::newRow("emf rectangle")
        << EmfWriter().Brush(1, kRed).Select(1).Rectangle(rect).Finish() << rectProbes;
    QTest::newRow("wmf rectangle") << WmfWriter(QRect(QPoint(0, 0), QPoint(100, 100)), 96)
                                          .Brush(kRed)
                                          .Select(0)
                                          .Rectangle(rect)
                                          .Finish()
                                   << rectProbes;

    // The corners of the ellipse's box stay empty: an ellipse, not a rectangle.
    const QRect box(QPoint(10, 10), QPoint(90, 90));
    const QList<Probe> ellipseProbes = {
        {{50, 50}, kBlue}, {{50, 15}, kBlue}, {{15, 15}, {}}, {{85, 85}, {}}, {{95, 50}, {}}};
    QTest::newRow("emf ellipse") << EmfWriter().Brush(1, kBlue).Select(1).Ellipse(box).Finish()
                                 << ellipseProbes;
    QTest::newRow("wmf ellipse") << WmfWriter(QRect(QPoint(0, 0), QPoint(100, 100)), 96)
                                        .Brush(kBlue)
                                        .Select(0)
                                        .Ellipse(box)
                                        .Finish()
                                 << ellipseProbes;

    const std::vector<QPoint> triangle = {{10, 90}, {50, 10}, {90, 90}};
    const QList<Probe> triangleProbes = {{{50, 70}, kGreen}, {{15, 20}, {}}, {{85, 20}, {}}};
    QTest::newRow("emf polygon16")
        << EmfWriter().Brush(1, kGreen).Select(1).Polygon16(triangle).Finish() << triangleProbes;
    QTest::newRow("emf polygon32")
        << EmfWriter().Brush(1, kGreen).Select(1).Polygon32(triangle).Finish() << triangleProbes;
    QTest::newRow("wmf polygon") << WmfWriter(QRect(QPoint(0, 0), QPoint(100, 100)), 96)
                                        .Brush(kGreen)
                                        .Select(0)
                                        .Polygon(triangle)
                                        .Finish()
                                 << triangleProbes;

    // Top row of the bitmap at the top, red then green; blue then yellow below.
    const QList<Probe> bitmapProbes = {{{10, 10}, QColor(255, 0, 0)},
                                       {{90, 10}, QColor(0, 255, 0)},
                                       {{10, 90}, QColor(0, 0, 255)},
                                       {{90, 90}, QColor(255, 255, 0)}};
    QTest::newRow("emf stretchdibits")
        << EmfWriter().StretchDib(QRect(0, 0, 100, 100), Quadrants()).Finish() << bitmapProbes;
    QTest::newRow("wmf stretchdib") << WmfWriter(QRect(QPoint(0, 0), QPoint(100, 100)), 96)
                                           .StretchDib(QRect(0, 0, 100, 100), Quadrants())
                                           .Finish()
                                    << bitmapProbes;

    // A stock hollow brush selected after a red one: the outline only.
    QTest::newRow("emf stock null brush")
        << EmfWriter().Brush(1, kRed).Select(1).Select(0x80000005).Rectangle(rect).Finish()
        << QList<Probe>{{{50, 40}, {}}, {{20, 40}, QColor(Qt::black), true}};
    // A wide pen of the file's own: its colour on the outline.
    QTest::newRow("emf pen")
        << EmfWriter().Pen(1, kBlue, 6).Select(1).Select(0x80000005).Rectangle(rect).Finish()
        << QList<Probe>{{{50, 40}, {}}, {{20, 40}, kBlue}, {{50, 60}, kBlue}, {{50, 64}, {}}};
    // WMF objects take the lowest free slot: after deleting slot 0, the green brush lands there.
    QTest::newRow("wmf slot reuse") << WmfWriter(QRect(QPoint(0, 0), QPoint(100, 100)), 96)
                                           .Brush(kRed)
                                           .Pen(Qt::black)
                                           .Delete(0)
                                           .Brush(kGreen)
                                           .Select(0)
                                           .Rectangle(rect)
                                           .Finish()
                                    << QList<Probe>{{{50, 40}, kGreen}};
    // EMF objects name their slot; deleting one leaves the selected brush as it was.
    QTest::newRow("emf delete keeps selection")
        << EmfWriter().Brush(3, kGreen).Select(3).Delete(3).Rectangle(rect).Finish()
        << QList<Probe>{{{50, 40}, kGreen}};
}

void MetafileRendererTest::drawsShapesAndBitmaps() {
    QFETCH(QByteArray, file);
    QFETCH(QList<Probe>, probes);
    const QImage image = Render(file);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(100, 100));
    for (const Probe& probe : probes) {
        const QRgb pixel = image.pixel(probe.at);
        QVERIFY2(Matches(probe, pixel), qPrintable(QStringLiteral("at (%1,%2): %3")
                                                       .arg(probe.at.x())
                                                       .arg(probe.at.y())
                                                       .arg(Describe(pixel))));
    }
}

void MetafileRendererTest::drawsText_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("height");
    // Text at (10, 30) with the top of the cell there, 24 units high, in red.
    QTest::newRow("emf exttextoutw") << EmfWriter()
                                            .Font(1, -24)
                                            .Select(1)
                                            .TextColor(kRed)
                                            .U32Record(18, 1)  // transparent background
                                            .TextW(QPoint(10, 30), "Hamburg")
                                            .Finish()
                                     << 24;
    QTest::newRow("wmf textout") << WmfWriter(QRect(QPoint(0, 0), QPoint(100, 100)), 96)
                                        .Font(-24)
                                        .Select(0)
                                        .TextColor(kRed)
                                        .BkMode(1)
                                        .TextOut(QPoint(10, 30), "Hamburg")
                                        .Finish()
                                 << 24;
}

void MetafileRendererTest::drawsText() {
    QFETCH(QByteArray, file);
    QFETCH(int, height);
    const QImage image = Render(file);
    QVERIFY(!image.isNull());
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) == 0) {
                continue;
            }
            // Every painted pixel is the text's red, at any coverage.
            QVERIFY2(qRed(p) > qGreen(p) * 2 && qRed(p) > qBlue(p) * 2, qPrintable(Describe(p)));
            ink = ink.united(QRect(x, y, 1, 1));
        }
    }
    QVERIFY(!ink.isEmpty());
    QVERIFY2(ink.left() >= 10 && ink.left() < 16, qPrintable(QString::number(ink.left())));
    QVERIFY2(ink.top() >= 30, qPrintable(QString::number(ink.top())));
    // Capital letters of a 24-unit character height: about 17 pixels, within the cell.
    QVERIFY2(ink.height() > height / 2 && ink.height() <= height + 2,
             qPrintable(QString::number(ink.height())));
    QVERIFY2(ink.width() > 3 * height, qPrintable(QString::number(ink.width())));
}

void MetafileRendererTest::mapsTheWindowOntoTheFrame_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<Probe>>("probes");
    const QList<Probe> bottomHalf = {{{50, 75}, kRed}, {{50, 25}, {}}};
    // y grows upwards: the window starts at y = 100 with a negative height; the rectangle in
    // logical y 0..50 is the bottom half.
    QTest::newRow("wmf window with y up") << WmfWriter()
                                                 .WindowOrg(0, 100)
                                                 .WindowExt(200, -100)
                                                 .Brush(kRed)
                                                 .Select(0)
                                                 .Rectangle(QRect(QPoint(0, 0), QPoint(200, 50)))
                                                 .Finish()
                                          << bottomHalf;
    // The placeable box is 0..1000 twips; the window it shows is 0..10 logical units.
    QTest::newRow("wmf window inside placeable box")
        << WmfWriter(QRect(QPoint(0, 0), QPoint(1000, 1000)), 1440)
               .WindowOrg(0, 0)
               .WindowExt(10, 10)
               .Brush(kRed)
               .Select(0)
               .Rectangle(QRect(QPoint(0, 5), QPoint(10, 10)))
               .Finish()
        << bottomHalf;
    // MM_ANISOTROPIC: a window of 1000 units onto a viewport of 100 device pixels.
    QTest::newRow("emf anisotropic") << EmfWriter()
                                            .U32Record(17, 8)
                                            .PairRecord(9, 1000, 1000)
                                            .PairRecord(11, 100, 100)
                                            .Brush(1, kRed)
                                            .Select(1)
                                            .Rectangle(QRect(QPoint(0, 500), QPoint(1000, 1000)))
                                            .Finish()
                                     << bottomHalf;
    // MM_LOMETRIC: tenths of a millimetre, y up, from the viewport origin at the bottom.
    QTest::newRow("emf lometric") << EmfWriter()
                                         .U32Record(17, 2)
                                         .PairRecord(12, 0, 100)
                                         .Brush(1, kRed)
                                         .Select(1)
                                         .Rectangle(QRect(QPoint(0, 0), QPoint(1000, 500)))
                                         .Finish()
                                  << bottomHalf;
}

void MetafileRendererTest::mapsTheWindowOntoTheFrame() {
    QFETCH(QByteArray, file);
    QFETCH(QList<Probe>, probes);
    const QImage image = Render(file);
    QVERIFY(!image.isNull());
    for (const Probe& probe : probes) {
        const QRgb pixel = image.pixel(probe.at);
        QVERIFY2(Matches(probe, pixel), qPrintable(QStringLiteral("at (%1,%2): %3")
                                                       .arg(probe.at.x())
                                                       .arg(probe.at.y())
                                                       .arg(Describe(pixel))));
    }
}

void MetafileRendererTest::naturalSizeComesFromTheHeader() {
    // 200 x 100 mm at 96 dpi.
    const auto emf = MetafileRenderer::Open(EmfWriter(QSize(200, 100)).Finish());
    QVERIFY(emf);
    QCOMPARE(emf->GetFormat(), MetafileRenderer::Format::Emf);
    QCOMPARE(emf->NaturalSize(), QSize(756, 378));
    // Two inches by one at 1440 units an inch.
    const auto wmf =
        MetafileRenderer::Open(WmfWriter(QRect(QPoint(0, 0), QPoint(2880, 1440)), 1440).Finish());
    QVERIFY(wmf);
    QCOMPARE(wmf->GetFormat(), MetafileRenderer::Format::Wmf);
    QCOMPARE(wmf->NaturalSize(), QSize(192, 96));
    // Without a placeable header the first window frames the picture.
    const auto plain =
        MetafileRenderer::Open(WmfWriter().WindowOrg(10, 10).WindowExt(300, 150).Finish());
    QVERIFY(plain);
    QCOMPARE(plain->NaturalSize(), QSize(300, 150));
    // Without a window, what it draws does.
    const auto drawn = MetafileRenderer::Open(WmfWriter()
                                                  .Brush(kRed)
                                                  .Select(0)
                                                  .Rectangle(QRect(QPoint(40, 20), QPoint(120, 60)))
                                                  .Finish());
    QVERIFY(drawn);
    QVERIFY2(std::abs(drawn->NaturalSize().width() - 81) <= 2,
             qPrintable(QString::number(drawn->NaturalSize().width())));
    QVERIFY2(std::abs(drawn->NaturalSize().height() - 41) <= 2,
             qPrintable(QString::number(drawn->NaturalSize().height())));
}

void MetafileRendererTest::truncatedFilesGiveNoPicture_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("emf") << EmfWriter()
                                .Brush(1, kRed)
                                .Select(1)
                                .Ellipse(QRect(10, 10, 50, 50))
                                .StretchDib(QRect(0, 0, 50, 50), Quadrants())
                                .TextW(QPoint(1, 1), "ab")
                                .Finish();
    QTest::newRow("wmf") << WmfWriter(QRect(QPoint(0, 0), QPoint(100, 100)), 96)
                                .Brush(kRed)
                                .Select(0)
                                .Ellipse(QRect(10, 10, 50, 50))
                                .StretchDib(QRect(0, 0, 50, 50), Quadrants())
                                .TextOut(QPoint(1, 1), "ab")
                                .Finish();
    QTest::newRow("wmf without placeable header") << WmfWriter()
                                                         .WindowExt(100, 100)
                                                         .Brush(kRed)
                                                         .Select(0)
                                                         .Ellipse(QRect(10, 10, 50, 50))
                                                         .Finish();
}

void MetafileRendererTest::truncatedFilesGiveNoPicture() {
    QFETCH(QByteArray, file);
    QVERIFY(!Render(file).isNull());
    for (qsizetype length = 0; length < file.size(); ++length) {
        QVERIFY2(Render(file.left(length)).isNull(), qPrintable(QString::number(length)));
    }
    // The records complete but the end-of-file record missing: cut short as well.
    const bool emf = MetafileRenderer::Detect(file) == MetafileRenderer::Format::Emf;
    const QByteArray noEof = emf ? EmfWriter().Brush(1, kRed).Select(1).Finish(false)
                                 : WmfWriter().WindowExt(10, 10).Brush(kRed).Finish(false);
    QVERIFY(Render(noEof).isNull());
}

void MetafileRendererTest::corruptRecordsGiveNoPictureOrSkipTheRecord_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("picture");
    const QByteArray emf = SmallEmf();  // header 108, brush 24, select 12, rectangle 24, eof 20
    const auto patch = [](QByteArray data, qsizetype at, std::uint32_t value) {
        std::memcpy(data.data() + at, &value, 4);
        return data;
    };
    const auto patch16 = [](QByteArray data, qsizetype at, std::uint16_t value) {
        std::memcpy(data.data() + at, &value, 2);
        return data;
    };
    QTest::newRow("emf record size zero") << patch(emf, 108 + 4, 0) << false;
    QTest::newRow("emf record size odd") << patch(emf, 108 + 4, 25) << false;
    QTest::newRow("emf record size past the end") << patch(emf, 108 + 4, 0x7ffffff0) << false;
    QTest::newRow("emf header size past the end") << patch(emf, 4, 0x100000) << false;
    QTest::newRow("emf wrong signature") << patch(emf, 40, 0x12345678) << false;
    QTest::newRow("emf header size too small") << patch(emf, 4, 16) << false;
    // A polygon whose count reaches past its record, also by overflowing 32-bit arithmetic.
    const QByteArray poly =
        EmfWriter().Brush(1, kRed).Select(1).Polygon16({{0, 0}, {50, 0}, {0, 50}}).Finish();
    QTest::newRow("emf polygon count too large")
        << patch(poly, 108 + 24 + 12 + 8 + 16, 1000) << false;
    // libuemf's check overflows on this count; ours catches it and leaves the polygon out.
    QTest::newRow("emf polygon count overflows")
        << patch(poly, 108 + 24 + 12 + 8 + 16, 0x40000001) << true;
    // A bitmap whose header claims more pixels than the record holds.
    const QByteArray bitmap = EmfWriter().StretchDib(QRect(0, 0, 100, 100), Quadrants()).Finish();
    QTest::newRow("emf dib width huge") << patch(bitmap, 108 + 80 + 4, 0x7fffffff) << false;
    QTest::newRow("emf dib offset past record") << patch(bitmap, 108 + 56, 0xfffffff0) << false;
    // Text whose string offset points outside the record.
    const QByteArray text = EmfWriter().TextW(QPoint(1, 1), "abc").Finish();
    QTest::newRow("emf text offset past record") << patch(text, 108 + 48, 0x7fffffff) << true;

    const QByteArray wmf =
        SmallWmf();  // placeable 22, header 18, brush 14, select 8, rectangle 14, eof 6
    QTest::newRow("wmf record size zero") << patch(wmf, 40, 0) << false;
    QTest::newRow("wmf record size past the end") << patch(wmf, 40, 0x00ffffff) << false;
    QTest::newRow("wmf bad header size") << patch16(wmf, 22 + 2, 7) << false;
    QTest::newRow("wmf bad version") << patch16(wmf, 22 + 4, 0x0200) << false;
    // A polygon count past the record: that record is skipped, the rest is drawn.
    const QByteArray wpoly = WmfWriter(QRect(QPoint(0, 0), QPoint(100, 100)), 96)
                                 .Brush(kRed)
                                 .Select(0)
                                 .Polygon({{0, 0}, {50, 0}, {0, 50}})
                                 .Finish();
    QTest::newRow("wmf polygon count too large")
        << patch16(wpoly, 22 + 18 + 14 + 8 + 6, 60000) << true;
    const QByteArray wtext =
        WmfWriter(QRect(QPoint(0, 0), QPoint(100, 100)), 96).TextOut(QPoint(1, 1), "abcd").Finish();
    QTest::newRow("wmf text length too large") << patch16(wtext, 22 + 18 + 6, 30000) << true;
    QTest::newRow("wmf text length negative") << patch16(wtext, 22 + 18 + 6, 0x8000) << true;
}

void MetafileRendererTest::corruptRecordsGiveNoPictureOrSkipTheRecord() {
    QFETCH(QByteArray, file);
    QFETCH(bool, picture);
    const QImage image = Render(file);
    QCOMPARE(!image.isNull(), picture);
    if (picture) {
        // The damaged record drew nothing.
        QCOMPARE(qAlpha(image.pixel(5, 5)), 0);
    }
}

void MetafileRendererTest::randomDamageNeverCrashes() {
    // Byte damage at random places of files with every kind of record; the fuzz target goes
    // much further, this keeps the common shapes of damage in every test run.
    const QList<QByteArray> files = {EmfWriter()
                                         .Brush(1, kRed)
                                         .Select(1)
                                         .Ellipse(QRect(10, 10, 50, 50))
                                         .Polygon16({{0, 0}, {9, 9}, {0, 9}})
                                         .StretchDib(QRect(0, 0, 50, 50), Quadrants())
                                         .Font(2, -12)
                                         .Select(2)
                                         .TextW(QPoint(1, 1), "ab")
                                         .Finish(),
                                     WmfWriter(QRect(QPoint(0, 0), QPoint(100, 100)), 96)
                                         .Brush(kRed)
                                         .Select(0)
                                         .Ellipse(QRect(10, 10, 50, 50))
                                         .Polygon({{0, 0}, {9, 9}, {0, 9}})
                                         .StretchDib(QRect(0, 0, 50, 50), Quadrants())
                                         .Font(-12)
                                         .Select(1)
                                         .TextOut(QPoint(1, 1), "ab")
                                         .Finish()};
    QRandomGenerator random(20240611);
    int pictures = 0;
    for (const QByteArray& original : files) {
        for (int round = 0; round < 1500; ++round) {
            QByteArray file = original;
            const int changes = 1 + static_cast<int>(random.bounded(4));
            for (int i = 0; i < changes; ++i) {
                const auto at =
                    static_cast<qsizetype>(random.bounded(static_cast<int>(file.size())));
                file[at] = static_cast<char>(random.bounded(256));
            }
            if (!Render(file, QSize(64, 64)).isNull()) {
                ++pictures;
            }
        }
    }
    // Damage to pixels, colours and coordinates still leaves a picture.
    QVERIFY(pictures > 0);
}

void MetafileRendererTest::decodesBitmapFormats_data() {
    QTest::addColumn<QByteArray>("packed");
    // Expected: top-left red, top-right green, bottom-left blue, bottom-right white.
    const auto header = [](int bits, int height, std::uint32_t compression, std::uint32_t colours) {
        LeBytes b;
        b.U32(40)
            .I32(2)
            .I32(height)
            .U16(1)
            .U16(static_cast<std::uint16_t>(bits))
            .U32(compression)
            .U32(0)
            .I32(0)
            .I32(0)
            .U32(colours)
            .U32(0);
        return b;
    };
    const auto palette = [](LeBytes& b) {
        // index 0 red, 1 green, 2 blue, 3 white (B, G, R, 0)
        b.U32(0x00ff0000).U32(0x0000ff00).U32(0x000000ff).U32(0x00ffffff);
    };
    {
        LeBytes b = header(8, 2, 0, 4);
        palette(b);
        b.U8(2).U8(3).U8(0).U8(0).U8(0).U8(1).U8(0).U8(0);  // bottom row first, rows of 4 bytes
        QTest::newRow("8-bit bottom-up") << b.Data();
    }
    {
        LeBytes b = header(8, -2, 0, 4);
        palette(b);
        b.U8(0).U8(1).U8(0).U8(0).U8(2).U8(3).U8(0).U8(0);
        QTest::newRow("8-bit top-down") << b.Data();
    }
    {
        LeBytes b = header(4, 2, 0, 4);
        palette(b);
        b.U8(0x23).U8(0).U8(0).U8(0).U8(0x01).U8(0).U8(0).U8(0);
        QTest::newRow("4-bit") << b.Data();
    }
    {
        LeBytes b = header(24, 2, 0, 0);
        b.U8(255).U8(0).U8(0).U8(255).U8(255).U8(255).U8(0).U8(0);  // blue, white, pad
        b.U8(0).U8(0).U8(255).U8(0).U8(255).U8(0).U8(0).U8(0);      // red, green, pad
        QTest::newRow("24-bit") << b.Data();
    }
    {
        LeBytes b = header(16, 2, 0, 0);
        b.U16(0x001f).U16(0x7fff).U16(0x7c00).U16(0x03e0);  // 5-5-5
        QTest::newRow("16-bit 555") << b.Data();
    }
    {
        LeBytes b = header(16, 2, 3, 0);
        b.U32(0xf800).U32(0x07e0).U32(0x001f);  // 5-6-5 masks
        b.U16(0x001f).U16(0xffff).U16(0xf800).U16(0x07e0);
        QTest::newRow("16-bit 565 bitfields") << b.Data();
    }
    {
        LeBytes b = header(32, 2, 0, 0);
        b.U32(0x000000ff).U32(0x00ffffff).U32(0x00ff0000).U32(0x0000ff00);
        QTest::newRow("32-bit") << b.Data();
    }
    {
        // RLE8: runs of one pixel each, rows bottom first, end of line, end of bitmap.
        LeBytes b = header(8, 2, 1, 4);
        palette(b);
        b.U8(1).U8(2).U8(1).U8(3).U8(0).U8(0).U8(1).U8(0).U8(1).U8(1).U8(0).U8(1);
        QTest::newRow("rle8") << b.Data();
    }
    {
        LeBytes b = header(1, 2, 0, 2);
        b.U32(0x00ff0000).U32(0x00ffffff);  // 0 red, 1 white
        b.U8(0x40).U8(0).U8(0).U8(0).U8(0x00).U8(0).U8(0).U8(0);
        QTest::newRow("1-bit") << b.Data();
    }
}

void MetafileRendererTest::decodesBitmapFormats() {
    QFETCH(QByteArray, packed);
    const QImage image =
        DibDecoder::DecodePacked({reinterpret_cast<const std::byte*>(packed.constData()),
                                  static_cast<std::size_t>(packed.size())},
                                 DibDecoder::Usage::RgbColors);
    QCOMPARE(image.size(), QSize(2, 2));
    const QString tag = QTest::currentDataTag();
    if (tag == "1-bit") {
        // The bottom row, stored first, is red then white; the top row all red.
        QCOMPARE(QColor(image.pixel(0, 0)), QColor(Qt::red));
        QCOMPARE(QColor(image.pixel(1, 0)), QColor(Qt::red));
        QCOMPARE(QColor(image.pixel(0, 1)), QColor(Qt::red));
        QCOMPARE(QColor(image.pixel(1, 1)), QColor(Qt::white));
        return;
    }
    QCOMPARE(QColor(image.pixel(0, 0)), QColor(255, 0, 0));
    QCOMPARE(QColor(image.pixel(1, 0)), QColor(0, 255, 0));
    QCOMPARE(QColor(image.pixel(0, 1)), QColor(0, 0, 255));
    QCOMPARE(QColor(image.pixel(1, 1)), QColor(255, 255, 255));
}

void MetafileRendererTest::refusesImpossibleBitmaps() {
    const auto decode = [](const QByteArray& packed) {
        return DibDecoder::DecodePacked({reinterpret_cast<const std::byte*>(packed.constData()),
                                         static_cast<std::size_t>(packed.size())},
                                        DibDecoder::Usage::RgbColors);
    };
    // Pixels promised by the header but missing from the data.
    QVERIFY(decode(LeBytes()
                       .U32(40)
                       .I32(1000)
                       .I32(1000)
                       .U16(1)
                       .U16(24)
                       .U32(0)
                       .U32(0)
                       .I32(0)
                       .I32(0)
                       .U32(0)
                       .U32(0)
                       .U32(0)
                       .Data())
                .isNull());
    // Zero and negative widths, unknown bit counts, header sizes that make no sense.
    QVERIFY(decode(LeBytes()
                       .U32(40)
                       .I32(0)
                       .I32(1)
                       .U16(1)
                       .U16(24)
                       .U32(0)
                       .U32(0)
                       .I32(0)
                       .I32(0)
                       .U32(0)
                       .U32(0)
                       .U32(0)
                       .Data())
                .isNull());
    QVERIFY(decode(LeBytes()
                       .U32(40)
                       .I32(-5)
                       .I32(1)
                       .U16(1)
                       .U16(24)
                       .U32(0)
                       .U32(0)
                       .I32(0)
                       .I32(0)
                       .U32(0)
                       .U32(0)
                       .U32(0)
                       .Data())
                .isNull());
    QVERIFY(decode(LeBytes()
                       .U32(40)
                       .I32(1)
                       .I32(1)
                       .U16(1)
                       .U16(7)
                       .U32(0)
                       .U32(0)
                       .I32(0)
                       .I32(0)
                       .U32(0)
                       .U32(0)
                       .U32(0)
                       .Data())
                .isNull());
    QVERIFY(decode(LeBytes().U32(0xffffffff).I32(1).I32(1).Data()).isNull());
    // A large but complete bitmap is decoded with every n-th pixel, within the pixel limit.
    const int side = 4100;  // 16.8 megapixels of one bit each
    LeBytes big;
    big.U32(40).I32(side).I32(side).U16(1).U16(1).U32(0).U32(0).I32(0).I32(0).U32(2).U32(0);
    big.U32(0x00000000).U32(0x00ffffff);
    QByteArray bits(static_cast<qsizetype>(((side + 31) / 32) * 4) * side, '\xff');
    big.Bytes(bits);
    const QImage sampled = decode(big.Data());
    QVERIFY(!sampled.isNull());
    QVERIFY(std::int64_t{sampled.width()} * sampled.height() <= DibDecoder::kMaxPixels);
    QVERIFY(sampled.width() < side);
    QCOMPARE(QColor(sampled.pixel(0, 0)), QColor(Qt::white));
}

void MetafileRendererTest::sampleDrawing() {
    // A drawing with every kind of record, kept as metafile-sample.emf and .png in the working
    // folder for a look at the result.
    QImage photo(16, 8, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y) {
        for (int x = 0; x < photo.width(); ++x) {
            photo.setPixel(x, y, qRgb(x * 16, y * 32, 255 - x * 16));
        }
    }
    const QByteArray file = EmfWriter(QSize(200, 120))
                                .Brush(1, QColor(255, 250, 230))
                                .Pen(2, QColor(120, 120, 120), 1)
                                .Select(1)
                                .Select(2)
                                .Rectangle(QRect(QPoint(2, 2), QPoint(197, 117)))
                                .Brush(3, kBlue)
                                .Select(3)
                                .Ellipse(QRect(QPoint(10, 10), QPoint(70, 70)))
                                .Brush(4, kGreen)
                                .Select(4)
                                .Pen(5, kRed, 3)
                                .Select(5)
                                .Polygon16({{80, 70}, {110, 10}, {140, 70}})
                                .StretchDib(QRect(150, 10, 40, 60), photo)
                                .Font(6, -18)
                                .Select(6)
                                .TextColor(Qt::black)
                                .U32Record(18, 1)
                                .TextW(QPoint(12, 85), "Quillmere preview", 10)
                                .Finish();
    const QImage image = Render(file, QSize(400, 240));
    QVERIFY(!image.isNull());
    QVERIFY(Near(image.pixel(80, 80), kBlue));     // inside the ellipse
    QVERIFY(Near(image.pixel(220, 110), kGreen));  // inside the triangle
    QVERIFY(Near(image.pixel(390, 230), QColor(255, 250, 230)));
    QFile out("metafile-sample.emf");
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(file);
    QVERIFY(image.save("metafile-sample.png"));
}

QTEST_MAIN(MetafileRendererTest)
#include "MetafileRendererTest.moc"
