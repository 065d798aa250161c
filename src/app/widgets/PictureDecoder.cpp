#include "app/widgets/PictureDecoder.h"

#include "app/widgets/MetafileRenderer.h"
#include "platform/FileSystem.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageIOHandler>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace qm::app {

namespace {

constexpr std::size_t kReadChunk = std::size_t{1} << 20;
// GIFs that ask for no delay are shown at the pace browsers use for them.
constexpr int kMinFrameDelay = 20;
constexpr int kDefaultFrameDelay = 100;

bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}

DecodedPicture Failure(const QString& reason) {
    DecodedPicture picture;
    picture.error = reason;
    return picture;
}

std::int64_t ImageBytes(QSize size) {
    return std::int64_t{std::max(size.width(), 0)} * std::max(size.height(), 0) * 4;
}

// The whole file, or an empty array and a reason.
QByteArray ReadWhole(platform::FileSystem& fileSystem, const std::string& path,
                     std::int64_t maxBytes, const std::atomic<bool>* cancel, QString& error) {
    const auto file = fileSystem.OpenForRead(path);
    if (!file) {
        error = QStringLiteral("The file cannot be opened.");
        return {};
    }
    const std::int64_t size = file->Facts().size;
    if (size > maxBytes) {
        error = QStringLiteral("The file is too large to preview.");
        return {};
    }
    QByteArray data;
    data.reserve(static_cast<qsizetype>(std::max<std::int64_t>(size, 0)));
    QByteArray chunk(static_cast<qsizetype>(kReadChunk), Qt::Uninitialized);
    for (;;) {
        if (Cancelled(cancel)) {
            error = QStringLiteral("Cancelled.");
            return {};
        }
        const std::int64_t got = file->Read(chunk.data(), kReadChunk);
        if (got < 0) {
            error = QStringLiteral("The file cannot be read.");
            return {};
        }
        if (got == 0) {
            break;
        }
        if (data.size() + got > maxBytes) {
            error = QStringLiteral("The file is too large to preview.");
            return {};
        }
        data.append(chunk.constData(), static_cast<qsizetype>(got));
    }
    if (data.isEmpty()) {
        error = QStringLiteral("The file is empty.");
    }
    return data;
}

DecodedPicture DecodeMetafile(const QByteArray& data, QSize box,
                              const PictureDecoder::Limits& limits,
                              const std::atomic<bool>* cancel) {
    const auto metafile = MetafileRenderer::Open(data);
    if (!metafile) {
        return Failure(QStringLiteral("The metafile's header is damaged."));
    }
    DecodedPicture picture;
    picture.sourceSize = metafile->NaturalSize();
    QSize target = PictureDecoder::FitWithin(picture.sourceSize, box);
    target =
        target.boundedTo(QSize(limits.maxSide, limits.maxSide))
            .boundedTo(QSize(MetafileRenderer::kMaxRenderSide, MetafileRenderer::kMaxRenderSide));
    if (ImageBytes(target) > limits.maxDecodeBytes) {
        return Failure(QStringLiteral("The picture is too large to preview."));
    }
    picture.image = metafile->Render(target, cancel);
    if (picture.image.isNull()) {
        return Failure(Cancelled(cancel) ? QStringLiteral("Cancelled.")
                                         : QStringLiteral("The metafile is damaged."));
    }
    return picture;
}

DecodedPicture DecodeRaster(QByteArray data, QSize box, const PictureDecoder::Limits& limits,
                            const std::atomic<bool>* cancel) {
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        return Failure(QStringLiteral("The picture's format is not known."));
    }
    DecodedPicture picture;
    const QSize stored = reader.size();
    if (stored.isValid()) {
        if (stored.width() > limits.maxSide || stored.height() > limits.maxSide) {
            return Failure(QStringLiteral("The picture is too large to preview."));
        }
        // The box applies to the picture as shown, after a photo's stored rotation.
        const bool turned =
            reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
        const QSize shown = turned ? stored.transposed() : stored;
        picture.sourceSize = shown;
        const QSize fitted = PictureDecoder::FitWithin(shown, box);
        const QSize target = turned ? fitted.transposed() : fitted;
        // libjpeg scales while it decodes; the other readers (PNG's too, though it takes a
        // scaled size) decode at full size first.
        const bool scalesWhileDecoding = reader.format() == "jpeg";
        if (ImageBytes(scalesWhileDecoding ? target : stored) > limits.maxDecodeBytes) {
            return Failure(QStringLiteral("The picture is too large to preview."));
        }
        if (target != stored) {
            reader.setScaledSize(target);
        }
    }
    if (Cancelled(cancel)) {
        return Failure(QStringLiteral("Cancelled."));
    }
    if (reader.supportsAnimation() && reader.imageCount() != 1) {
        std::int64_t total = 0;
        while (picture.frames.size() < limits.maxFrames && total < limits.maxAnimationBytes &&
               !Cancelled(cancel)) {
            QImage frame = reader.read();
            if (frame.isNull()) {
                break;
            }
            const int delay = reader.nextImageDelay();
            total += frame.sizeInBytes();
            picture.frames.append(std::move(frame));
            picture.delays.append(delay < kMinFrameDelay ? kDefaultFrameDelay : delay);
        }
        picture.loopCount = reader.loopCount();
        if (picture.frames.isEmpty()) {
            return Failure(reader.errorString());
        }
        picture.image = picture.frames.first();
        if (picture.frames.size() == 1) {
            picture.frames.clear();
            picture.delays.clear();
        }
    } else {
        picture.image = reader.read();
        if (picture.image.isNull()) {
            return Failure(reader.errorString());
        }
    }
    if (!picture.sourceSize.isValid()) {
        picture.sourceSize = picture.image.size();
    }
    // A reader that knew no size in advance decoded at full size: fit it now.
    const QSize fitted = PictureDecoder::FitWithin(picture.image.size(), box);
    if (fitted != picture.image.size()) {
        picture.image =
            picture.image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        for (QImage& frame : picture.frames) {
            frame = frame.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
    }
    return picture;
}

}  // namespace

QSize PictureDecoder::FitWithin(QSize source, QSize box) {
    if (source.isEmpty()) {
        return QSize(1, 1);
    }
    if (box.isEmpty() || (source.width() <= box.width() && source.height() <= box.height())) {
        return source;
    }
    const double scale = std::min(static_cast<double>(box.width()) / source.width(),
                                  static_cast<double>(box.height()) / source.height());
    return QSize(std::max(1, static_cast<int>(std::lround(source.width() * scale))),
                 std::max(1, static_cast<int>(std::lround(source.height() * scale))))
        .boundedTo(box.expandedTo(QSize(1, 1)));
}

DecodedPicture PictureDecoder::Decode(const std::string& path, QSize box, const Limits& limits,
                                      const std::atomic<bool>* cancel,
                                      platform::FileSystem* fileSystem) {
    QString error;
    const QByteArray data = ReadWhole(fileSystem ? *fileSystem : platform::SystemFileSystem(), path,
                                      limits.maxFileBytes, cancel, error);
    if (data.isEmpty()) {
        return Failure(error);
    }
    if (MetafileRenderer::Detect(data)) {
        return DecodeMetafile(data, box, limits, cancel);
    }
    return DecodeRaster(data, box, limits, cancel);
}

}  // namespace qm::app
