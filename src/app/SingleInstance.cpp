#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace tc::ui {

namespace {

constexpr int kConnectTimeoutMs = 1000;

} // namespace

SingleInstance::SingleInstance(const QString& name, const QString& folder, QObject* parent) : QObject(parent)
{
    QString dir = folder;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    // One guard per user: the socket name carries the user id.
    serverName_ = name + QStringLiteral("-") + QString::number(::getuid());
    lock_ = std::make_unique<QLockFile>(QDir(dir).filePath(serverName_ + QStringLiteral(".lock")));
    lock_->setStaleLockTime(0); // a lock of a crashed copy is taken over at once
    first_ = lock_->tryLock(0);
    if (first_) {
        QLocalServer::removeServer(serverName_);
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_->nextPendingConnection()) {
                socket->deleteLater();
                emit Activate();
            }
        });
        server_->listen(serverName_);
        return;
    }
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (socket.waitForConnected(kConnectTimeoutMs)) {
        socket.write("activate");
        socket.waitForBytesWritten(kConnectTimeoutMs);
        socket.disconnectFromServer();
    }
}

SingleInstance::~SingleInstance() = default;

} // namespace tc::ui
