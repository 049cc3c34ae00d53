#include "shell/platform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QSaveFile>
#include <QSoundEffect>
#include <QStandardPaths>
#include <QUrl>
#include <cstdlib>

namespace vostrel::shell {

void SoundPlayer::Play(const QString& hostPath) {
    lastPlayed_ = hostPath;
    ++playCount_;
    Start(hostPath);
}

void SoundPlayer::Start(const QString& hostPath) {
    if (!effect_) effect_ = new QSoundEffect(this);
    effect_->stop();
    const QUrl source = QUrl::fromLocalFile(hostPath);
    if (effect_->source() != source) effect_->setSource(source);
    effect_->play();
}

Platform Platform::Desktop(QObject* owner) {
    Platform p;
    p.chooseDirectory = [](QWidget* parent) {
        return QFileDialog::getExistingDirectory(
            parent, QCoreApplication::translate("vostrel::shell::Platform", "Choose directory..."));
    };
    p.chooseFile = [](QWidget* parent, const QString& filter, const QString& folder) {
        return QFileDialog::getOpenFileName(parent, QString(), folder, filter);
    };
    p.openUrl = [](const QString& url) {
        const QUrl target = url.startsWith('/') ? QUrl::fromLocalFile(url) : QUrl(url);
        QDesktopServices::openUrl(target);
    };
    p.endProgram = [] { std::_Exit(0); };
    p.sound = new SoundPlayer(owner);
    return p;
}

QString AutostartEntryPath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!config.startsWith('/')) config = QDir::homePath() + "/.config";
    return config + "/autostart/vostrel.desktop";
}

QString DesktopExecArgument(const QString& argument) {
    // Inside double quotes a backslash escapes `"`, `` ` ``, `$` and `\`; the
    // string escapes of the entry file are undone before the quoting, so
    // every backslash is written twice again. `%` starts a field code.
    QString quoted = "\"";
    for (const QChar c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += "\\\\";
        if (c == '%') quoted += '%';
        quoted += (c == '\\') ? QStringLiteral("\\\\") : QString(c);
    }
    return quoted + "\"";
}

bool WriteAutostartEntry(const QString& program, const QString& prefix) {
    // A line break or other control character cannot stand in an Exec line.
    for (const QString& text : {program, prefix})
        for (const QChar c : text)
            if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
    QString exec = DesktopExecArgument(program);
    if (!prefix.isEmpty()) exec += " --prefix " + DesktopExecArgument(prefix);
    const QString path = AutostartEntryPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    const QString entry = QStringLiteral(
                              "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Vostrel 2006\n"
                              "Comment=Registry cleaner for Wine prefixes\n"
                              "Exec=%1\n"
                              "Icon=io.github.vostrel.Vostrel\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n")
                              .arg(exec);
    file.write(entry.toUtf8());
    return file.commit();
}

bool RemoveAutostartEntry() {
    const QString path = AutostartEntryPath();
    return !QFile::exists(path) || QFile::remove(path);
}

QString HelpPageUrl() {
    // The guide installed with the program, else the one beside the sources.
    const QStringList candidates = {
        QCoreApplication::applicationDirPath() + "/../share/doc/vostrel/guide/index.html",
        QStringLiteral(VOSTREL_GUIDE_SOURCE),
    };
    for (const QString& path : candidates)
        if (QFile::exists(path)) return QFileInfo(path).canonicalFilePath();
    return candidates.back();
}

QString SupportPageUrl() { return "https://github.com/vostrel/vostrel/issues"; }

}  // namespace vostrel::shell
