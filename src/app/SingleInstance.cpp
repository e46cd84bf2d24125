#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace tc::ui {

namespace {

constexpr int kConnectTimeoutMs = 1000;
// A path longer than this is no path a second copy sends.
constexpr qsizetype kMaxMessage = 64 * 1024;

} // namespace

SingleInstance::SingleInstance(const QString& name, const QString& folder, QObject* parent, const QString& file) : QObject(parent)
{
    QString dir = folder;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    // One guard per user: the socket name carries a digest of the user's
    // home folder (Qt's own, so the same on Linux and Windows).
    const QByteArray user = QCryptographicHash::hash(QDir::homePath().toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    serverName_ = name + QStringLiteral("-") + QString::fromLatin1(user);
    lock_ = std::make_unique<QLockFile>(QDir(dir).filePath(serverName_ + QStringLiteral(".lock")));
    lock_->setStaleLockTime(0); // a lock of a crashed copy is taken over at once
    first_ = lock_->tryLock(0);
    if (first_) {
        QLocalServer::removeServer(serverName_);
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_->nextPendingConnection()) {
                // The message is whole once the second copy hangs up.
                auto take = [this, socket] {
                    const QByteArray message = socket->readAll().left(kMaxMessage);
                    socket->deleteLater();
                    emit Activate();
                    const qsizetype newline = message.indexOf('\n');
                    if (message.startsWith("activate") && newline >= 0) {
                        const QString path = QString::fromUtf8(message.mid(newline + 1));
                        if (!path.isEmpty())
                            emit OpenFile(path);
                    }
                };
                if (socket->state() == QLocalSocket::ConnectedState)
                    connect(socket, &QLocalSocket::disconnected, this, take);
                else
                    take();
            }
        });
        server_->listen(serverName_);
        return;
    }
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (socket.waitForConnected(kConnectTimeoutMs)) {
        QByteArray message("activate");
        if (!file.isEmpty())
            message += '\n' + file.toUtf8();
        socket.write(message);
        socket.waitForBytesWritten(kConnectTimeoutMs);
        socket.disconnectFromServer();
    }
}

SingleInstance::~SingleInstance() = default;

} // namespace tc::ui
