#include "app/widgets/PictureLoader.h"

#include <QMetaObject>
#include <QPointer>

namespace qm::app {

PictureLoader::PictureLoader(QObject* parent) : QObject(parent) {
    // One worker: decodes run one after the other, and a cancelled one ends at its next check.
    m_pool.setMaxThreadCount(1);
    qRegisterMetaType<qm::app::DecodedPicture>();
}

PictureLoader::~PictureLoader() {
    Cancel();
    m_pool.clear();
    m_pool.waitForDone();
}

quint64 PictureLoader::Request(const std::string& path, QSize box) {
    Cancel();
    const quint64 request = ++m_last;
    m_pending = request;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    m_cancel = cancel;
    const PictureDecoder::Limits limits = m_limits;
    QPointer<PictureLoader> self(this);
    m_pool.start([self, request, path, box, limits, cancel] {
        if (cancel->load()) {
            return;
        }
        DecodedPicture picture = PictureDecoder::Decode(path, box, limits, cancel.get());
        if (cancel->load()) {
            return;
        }
        // The destructor waits for this task, so self is alive while it posts; a queued call by
        // name is dropped by Qt when the loader is gone before it runs.
        QMetaObject::invokeMethod(self.data(), "Deliver", Qt::QueuedConnection,
                                  Q_ARG(quint64, request), Q_ARG(qm::app::DecodedPicture, picture));
    });
    return request;
}

void PictureLoader::Cancel() {
    if (m_cancel) {
        m_cancel->store(true);
        m_cancel.reset();
    }
    m_pending = 0;
}

void PictureLoader::Deliver(quint64 request, const qm::app::DecodedPicture& picture) {
    if (request != m_pending) {
        return;  // superseded or cancelled while its result was on the way
    }
    m_pending = 0;
    m_cancel.reset();
    if (picture.IsNull()) {
        emit PictureFailed(request, picture.error);
    } else {
        emit PictureReady(request, picture);
    }
}

}  // namespace qm::app
