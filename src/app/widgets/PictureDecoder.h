#pragma once

#include <QImage>
#include <QList>
#include <QMetaType>
#include <QSize>
#include <QString>

#include <atomic>
#include <cstdint>
#include <string>

namespace qm::platform {
class FileSystem;
}

namespace qm::app {

// A picture decoded for the preview: scaled down to the box it was asked for.
struct DecodedPicture {
    QImage image;          // the still picture, or the first frame of an animation; null on failure
    QList<QImage> frames;  // every frame of an animated GIF, empty for a still picture
    QList<int> delays;     // milliseconds each frame shows, parallel to frames
    int loopCount = -1;    // repetitions of the animation; -1 forever
    QSize sourceSize;      // the picture's own size, before scaling
    QString error;         // why there is no picture; empty on success

    bool IsNull() const { return image.isNull(); }
    bool IsAnimated() const { return frames.size() > 1; }
};

// Decodes picture files for the preview: JPEG, PNG, BMP, ICO and GIF through Qt's image readers,
// WMF and EMF through MetafileRenderer. Thread-safe; meant to run on a worker thread.
class PictureDecoder {
public:
    // What one decode may take. A picture beyond them is refused (or, for an animation, cut
    // short) instead of exhausting memory.
    struct Limits {
        std::int64_t maxFileBytes = std::int64_t{256} * 1024 * 1024;       // files read whole
        std::int64_t maxDecodeBytes = std::int64_t{256} * 1024 * 1024;     // one decoded image
        int maxSide = 32768;                                               // of a decoded image
        int maxFrames = 1000;                                              // of an animation
        std::int64_t maxAnimationBytes = std::int64_t{128} * 1024 * 1024;  // all its frames
    };

    // source scaled down to fit box with its proportions kept; never enlarged. At least 1x1.
    static QSize FitWithin(QSize source, QSize box);

    // Decodes the file at path (the exact bytes of its name) to fit box. The format is taken from
    // the content, not the name. On failure the result's image is null and error says why.
    // fileSystem defaults to the system's; cancel, when set by another thread, ends it early.
    static DecodedPicture Decode(const std::string& path, QSize box, const Limits& limits,
                                 const std::atomic<bool>* cancel = nullptr,
                                 platform::FileSystem* fileSystem = nullptr);
    static DecodedPicture Decode(const std::string& path, QSize box) {
        return Decode(path, box, Limits{});
    }
};

}  // namespace qm::app

Q_DECLARE_METATYPE(qm::app::DecodedPicture)
