#pragma once

#include "app/widgets/PictureDecoder.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <string>

namespace qm::app {

// Decodes preview pictures on a worker thread so that focusing a huge photo or a hostile file
// never stalls the window. The latest request wins: a new request cancels the one before, and
// only the latest request's result is ever signalled.
//
// Usage: connect PictureReady and PictureFailed, then call Request(path, box) whenever the focused
// picture changes. Both signals arrive on the loader's thread (the GUI thread).
class PictureLoader : public QObject {
    Q_OBJECT

public:
    explicit PictureLoader(QObject* parent = nullptr);
    // Cancels the running decode and waits for the worker to finish it.
    ~PictureLoader() override;

    PictureLoader(const PictureLoader&) = delete;
    PictureLoader& operator=(const PictureLoader&) = delete;

    void SetLimits(const PictureDecoder::Limits& limits) { m_limits = limits; }

    // Starts decoding the file at path (exact bytes) to fit box; returns the request's number.
    quint64 Request(const std::string& path, QSize box);
    // Drops the pending request: no signal will come for it.
    void Cancel();
    // True while a request has been made and its signal has not come yet.
    bool Busy() const { return m_pending != 0; }

signals:
    void PictureReady(quint64 request, const qm::app::DecodedPicture& picture);
    void PictureFailed(quint64 request, const QString& reason);

private:
    Q_INVOKABLE void Deliver(quint64 request, const qm::app::DecodedPicture& picture);

    QThreadPool m_pool;
    PictureDecoder::Limits m_limits;
    quint64 m_last = 0;
    quint64 m_pending = 0;
    std::shared_ptr<std::atomic<bool>> m_cancel;
};

}  // namespace qm::app
