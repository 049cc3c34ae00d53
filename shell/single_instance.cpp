#include "shell/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>

namespace vostrel::shell {

namespace {

constexpr char kRaise[] = "raise\n";

}  // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {
    // Only the user's own programs may knock.
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                // Whatever a start sends, it came for the window.
                socket->readAll();
                emit raiseRequested();
            });
        }
    });
}

QString SingleInstance::ServerName() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(QStringLiteral("vostrel.sock"));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("vostrel-%1").arg(::getuid()));
}

bool SingleInstance::AskRunning(int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kRaise, sizeof kRaise - 1);
    socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMs);
    return true;
}

bool SingleInstance::Listen() {
    if (server_.isListening()) return true;
    // A program that answers holds the name: it is not ours to take (Qt
    // would put its own socket over the other's). What no one answers on
    // is a crashed program's socket, removed first.
    if (AskRunning()) return false;
    QLocalServer::removeServer(name_);
    return server_.listen(name_);
}

}  // namespace vostrel::shell
