// The preview's picture loader: scaling rules, the decode limits, animated GIFs, metafiles
// through the same door, and the latest-request-wins rule of the asynchronous loader.

#include "GifWriter.h"
#include "MetafileWriter.h"
#include "app/widgets/PictureDecoder.h"
#include "app/widgets/PictureLoader.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using qm::app::DecodedPicture;
using qm::app::PictureDecoder;
using qm::app::PictureLoader;
using qm::test::AnimatedGif;
using qm::test::EmfWriter;
using qm::test::LeBytes;

namespace {

QImage Solid(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

}  // namespace

class PictureLoaderTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void fitsWithinTheBox_data();
    void fitsWithinTheBox();
    void decodesEachFormatToFit_data();
    void decodesEachFormatToFit();
    void limitsRefuseWhatWouldNotFit();
    void jpegDecodesSmallWithinTightLimits();
    void animatedGifGivesEveryFrame();
    void failuresSayWhy_data();
    void failuresSayWhy();
    void latestRequestWins();
    void failedRequestSignalsFailure();

private:
    std::string Write(const QString& name, const QByteArray& data) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
            qFatal("cannot write %s", qPrintable(path));
        }
        return QFile::encodeName(path).toStdString();
    }
    std::string WriteImage(const QString& name, const QImage& image, const char* format,
                           int quality = -1) {
        const QString path = m_dir.filePath(name);
        if (!image.save(path, format, quality)) {
            qFatal("cannot save %s", qPrintable(path));
        }
        return QFile::encodeName(path).toStdString();
    }

    QTemporaryDir m_dir;
};

void PictureLoaderTest::fitsWithinTheBox_data() {
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("wide shrinks to the width")
        << QSize(400, 200) << QSize(100, 100) << QSize(100, 50);
    QTest::newRow("tall shrinks to the height")
        << QSize(200, 400) << QSize(100, 100) << QSize(50, 100);
    QTest::newRow("smaller is never enlarged") << QSize(40, 20) << QSize(100, 100) << QSize(40, 20);
    QTest::newRow("exact fit stays") << QSize(100, 100) << QSize(100, 100) << QSize(100, 100);
    QTest::newRow("one side too large") << QSize(300, 50) << QSize(221, 173) << QSize(221, 37);
    QTest::newRow("a sliver keeps a pixel") << QSize(10000, 1) << QSize(100, 100) << QSize(100, 1);
}

void PictureLoaderTest::fitsWithinTheBox() {
    QFETCH(QSize, source);
    QFETCH(QSize, box);
    QFETCH(QSize, expected);
    QCOMPARE(PictureDecoder::FitWithin(source, box), expected);
}

void PictureLoaderTest::decodesEachFormatToFit_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("expected");
    for (const char* format : {"png", "bmp", "jpg", "ico"}) {
        const QSize large = QString(format) == "ico" ? QSize(256, 128) : QSize(400, 200);
        QTest::newRow(qPrintable(QStringLiteral("%1 larger").arg(format)))
            << QString(format) << large << QSize(100, 50);
        QTest::newRow(qPrintable(QStringLiteral("%1 smaller").arg(format)))
            << QString(format) << QSize(40, 20) << QSize(40, 20);
    }
}

void PictureLoaderTest::decodesEachFormatToFit() {
    QFETCH(QString, format);
    QFETCH(QSize, source);
    QFETCH(QSize, expected);
    // Named .dat: the format comes from the content.
    const std::string path = WriteImage("picture.dat", Solid(source, QColor(30, 120, 210)),
                                        format.toLatin1().constData(), 95);
    const DecodedPicture picture = PictureDecoder::Decode(path, QSize(100, 100));
    QVERIFY2(!picture.IsNull(), qPrintable(picture.error));
    QCOMPARE(picture.image.size(), expected);
    QCOMPARE(picture.sourceSize, source);
    QVERIFY(!picture.IsAnimated());
    const QColor centre = picture.image.pixelColor(expected.width() / 2, expected.height() / 2);
    QVERIFY2(std::abs(centre.red() - 30) < 8 && std::abs(centre.green() - 120) < 8 &&
                 std::abs(centre.blue() - 210) < 8,
             qPrintable(centre.name()));
}

void PictureLoaderTest::limitsRefuseWhatWouldNotFit() {
    // 1500 x 1500 PNG: 9 MB decoded, because PNG decodes at full size before scaling.
    const std::string path = WriteImage("large.png", Solid(QSize(1500, 1500), Qt::red), "png");
    PictureDecoder::Limits tight;
    tight.maxDecodeBytes = 4 * 1024 * 1024;
    const DecodedPicture refused = PictureDecoder::Decode(path, QSize(100, 100), tight);
    QVERIFY(refused.IsNull());
    QCOMPARE(refused.error, QStringLiteral("The picture is too large to preview."));

    PictureDecoder::Limits narrow;
    narrow.maxSide = 1000;
    QVERIFY(PictureDecoder::Decode(path, QSize(100, 100), narrow).IsNull());

    PictureDecoder::Limits small;
    small.maxFileBytes = 100;
    QCOMPARE(PictureDecoder::Decode(path, QSize(100, 100), small).error,
             QStringLiteral("The file is too large to preview."));

    const DecodedPicture allowed = PictureDecoder::Decode(path, QSize(100, 100));
    QVERIFY2(!allowed.IsNull(), qPrintable(allowed.error));
    QCOMPARE(allowed.image.size(), QSize(100, 100));

    // A metafile drawn at the box's size is bound by the same limit.
    const std::string emf = Write("drawing.emf", EmfWriter(QSize(2000, 2000)).Finish());
    PictureDecoder::Limits metafile;
    metafile.maxDecodeBytes = 1024 * 1024;
    QVERIFY(PictureDecoder::Decode(emf, QSize(4000, 4000), metafile).IsNull());
    QVERIFY(!PictureDecoder::Decode(emf, QSize(200, 200), metafile).IsNull());
}

void PictureLoaderTest::jpegDecodesSmallWithinTightLimits() {
    // 3000 x 2000 would need 24 MB at full size; JPEG scales while it decodes, so 2 MB is enough.
    const std::string path =
        WriteImage("photo.jpg", Solid(QSize(3000, 2000), QColor(200, 40, 40)), "jpg", 50);
    PictureDecoder::Limits tight;
    tight.maxDecodeBytes = 2 * 1024 * 1024;
    const DecodedPicture picture = PictureDecoder::Decode(path, QSize(300, 300), tight);
    QVERIFY2(!picture.IsNull(), qPrintable(picture.error));
    QCOMPARE(picture.image.size(), QSize(300, 200));
    QCOMPARE(picture.sourceSize, QSize(3000, 2000));
}

void PictureLoaderTest::animatedGifGivesEveryFrame() {
    const std::string path = Write("moving.gif", AnimatedGif({0, 1, 2}, 25));
    const DecodedPicture picture = PictureDecoder::Decode(path, QSize(100, 100));
    QVERIFY2(!picture.IsNull(), qPrintable(picture.error));
    QVERIFY(picture.IsAnimated());
    QCOMPARE(picture.frames.size(), 3);
    QCOMPARE(picture.delays, (QList<int>{250, 250, 250}));
    QCOMPARE(picture.frames[0].pixelColor(1, 1), QColor(255, 0, 0));
    QCOMPARE(picture.frames[1].pixelColor(1, 1), QColor(0, 255, 0));
    QCOMPARE(picture.frames[2].pixelColor(1, 1), QColor(0, 0, 255));
    QCOMPARE(picture.image.size(), QSize(4, 4));  // never enlarged

    PictureDecoder::Limits fewer;
    fewer.maxFrames = 2;
    QCOMPARE(PictureDecoder::Decode(path, QSize(100, 100), fewer).frames.size(), 2);

    // One frame is a still picture.
    const DecodedPicture still =
        PictureDecoder::Decode(Write("still.gif", AnimatedGif({1}, 0)), QSize(2, 2));
    QVERIFY(!still.IsNull());
    QVERIFY(!still.IsAnimated());
    QCOMPARE(still.image.size(), QSize(2, 2));
}

void PictureLoaderTest::failuresSayWhy_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");
    QTest::newRow("empty") << QByteArray() << "The file is empty.";
    QTest::newRow("not a picture")
        << QByteArray("plain text, no picture") << "The picture's format is not known.";
    QByteArray cut = EmfWriter().Brush(1, Qt::red).Select(1).Rectangle(QRect(1, 1, 5, 5)).Finish();
    QTest::newRow("truncated metafile")
        << cut.left(cut.size() - 30) << "The metafile's header is damaged.";
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        Solid(QSize(50, 50), Qt::red).save(&buffer, "png");
    }
    QTest::newRow("truncated png") << png.left(60) << "";
}

void PictureLoaderTest::failuresSayWhy() {
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    const DecodedPicture picture =
        PictureDecoder::Decode(Write("broken.png", content), QSize(100, 100));
    QVERIFY(picture.IsNull());
    QVERIFY(!picture.error.isEmpty());
    if (!error.isEmpty()) {
        QCOMPARE(picture.error, error);
    }
    QCOMPARE(PictureDecoder::Decode(QFile::encodeName(m_dir.filePath("missing.jpg")).toStdString(),
                                    QSize(10, 10))
                 .error,
             QStringLiteral("The file cannot be opened."));
}

void PictureLoaderTest::latestRequestWins() {
    const std::string first = WriteImage("first.png", Solid(QSize(800, 800), Qt::red), "png");
    const std::string second = WriteImage("second.png", Solid(QSize(60, 30), Qt::blue), "png");
    auto loader = std::make_unique<PictureLoader>();
    QSignalSpy ready(loader.get(), &PictureLoader::PictureReady);
    QSignalSpy failed(loader.get(), &PictureLoader::PictureFailed);
    const quint64 a = loader->Request(first, QSize(100, 100));
    const quint64 b = loader->Request(second, QSize(100, 100));
    QVERIFY(b != a);
    QVERIFY(loader->Busy());
    QTRY_COMPARE(ready.size(), 1);
    QVERIFY(!loader->Busy());
    // Nothing more arrives for the superseded request, also once the worker is done.
    loader.reset();
    QCoreApplication::processEvents();
    QCOMPARE(ready.size(), 1);
    QCOMPARE(failed.size(), 0);
    QCOMPARE(ready[0][0].value<quint64>(), b);
    const auto picture = ready[0][1].value<DecodedPicture>();
    QCOMPARE(picture.image.size(), QSize(60, 30));
    QCOMPARE(picture.image.pixelColor(5, 5), QColor(Qt::blue));
}

void PictureLoaderTest::failedRequestSignalsFailure() {
    PictureLoader loader;
    QSignalSpy ready(&loader, &PictureLoader::PictureReady);
    QSignalSpy failed(&loader, &PictureLoader::PictureFailed);
    const quint64 request =
        loader.Request(Write("noise.emf", QByteArray(300, '\x01')), QSize(50, 50));
    QTRY_COMPARE(failed.size(), 1);
    QCOMPARE(failed[0][0].value<quint64>(), request);
    QVERIFY(!failed[0][1].toString().isEmpty());
    QCOMPARE(ready.size(), 0);

    // A cancelled request signals nothing.
    loader.Request(Write("ok.png", QByteArray()), QSize(50, 50));
    loader.Cancel();
    QVERIFY(!loader.Busy());
    QTest::qWait(0);
    QCOMPARE(failed.size(), 1);
}

QTEST_MAIN(PictureLoaderTest)
#include "PictureLoaderTest.moc"
