#include "transfer/queuedprogress.h"

#include <QMetaObject>
#include <QObject>
#include <memory>
#include <mutex>
#include <string>

#include "ui/common.h"

namespace kelmor {

namespace {

// The latest text not yet shown, and whether a call to show it is already queued.
struct TProgressMailbox {
    std::function<void(const QString&)> show;
    std::mutex mutex;
    std::string text;
    bool queued = false;
};

}  // namespace

TKelmorInOut::TProgressCallback QueuedProgress(QObject* receiver, std::function<void(const QString& text)> show) {
    auto mailbox = std::make_shared<TProgressMailbox>();
    mailbox->show = std::move(show);
    return [receiver, mailbox](TKelmorInOut&, const std::string& text) {
        {
            const std::lock_guard<std::mutex> lock(mailbox->mutex);
            mailbox->text = text;
            if (mailbox->queued) return;
            mailbox->queued = true;
        }
        QMetaObject::invokeMethod(
            receiver,
            [mailbox] {
                std::string latest;
                {
                    const std::lock_guard<std::mutex> lock(mailbox->mutex);
                    latest.swap(mailbox->text);
                    mailbox->queued = false;
                }
                if (mailbox->show) mailbox->show(FromLatin1(latest));
            },
            Qt::QueuedConnection);
    };
}

}  // namespace kelmor
