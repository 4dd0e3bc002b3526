// TSingleInstance: one running program per user and desktop. The first start listens on
// a local socket named "KELMORMANAGER" plus the user's numeric id; a later start
// connects, hands over its command-line path text (at most 1023 bytes and a zero byte)
// and ends. A socket left behind by a killed instance is recognised (nobody answers)
// and replaced. When no socket can be created, the program simply runs on its own.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;

namespace kelmor {

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    static constexpr int kBlockSize = 1024;

    explicit TSingleInstance(QObject* parent = nullptr);
    ~TSingleInstance() override;

    // "KELMORMANAGER" + the user's id (+ "-" + $KELMOR_INSTANCE_TAG when set), in the
    // user's runtime folder when there is one.
    static QString ServerName();
    // The text as it travels: cut to 1023 bytes at a character boundary, zero-terminated.
    static QByteArray EncodeText(const QString& text);

    // Hands `text` to a running instance; true when one took it.
    static bool HandOver(const QString& serverName, const QString& text, int timeoutMs = 3000);
    // Becomes the running instance; false when no server could be created.
    bool Listen(const QString& serverName);
    bool IsListening() const;

signals:
    // A later start handed over this text (possibly empty).
    void TextReceived(const QString& text);

private:
    void AcceptConnection();

    QLocalServer* server_ = nullptr;
};

}  // namespace kelmor
