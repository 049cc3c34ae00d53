// One program per user. The first start listens on a local socket whose
// name is the user's own (in $XDG_RUNTIME_DIR, else named with the user's
// id); a later start reaches it, asks it to bring its window forward and
// ends. A socket left behind by a program that crashed answers no one: it
// is removed and the new start listens in its place.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace vostrel::shell {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString name = ServerName(), QObject* parent = nullptr);

    // The user's socket: $XDG_RUNTIME_DIR/vostrel.sock when that folder
    // exists, else vostrel-UID in the temporary folder.
    static QString ServerName();
    const QString& name() const { return name_; }

    // Reaches a running program and asks it to come forward; true when one
    // took the connection (this start then has nothing to do).
    bool AskRunning(int timeoutMs = 1000);
    // Listens for later starts. A socket that no program holds (one that
    // crashed) is removed first. False when a running program holds the
    // name (it is asked to come forward) or the name cannot be taken.
    bool Listen();
    bool listening() const { return server_.isListening(); }
    // Why the last Listen failed.
    QString errorText() const { return server_.errorString(); }

signals:
    // A later start asked for the window.
    void raiseRequested();

private:
    QString name_;
    QLocalServer server_;
};

}  // namespace vostrel::shell
