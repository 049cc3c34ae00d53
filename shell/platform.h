// What the desktop offers the program, behind small replaceable functions:
// the detection sound, the folder and file choosers, opening web pages and
// files, and starting with the desktop session. Tests replace them.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QSoundEffect;
class QWidget;

namespace vostrel::shell {

// Plays WAV files asynchronously; a new sound restarts from its beginning.
// Without an audio device nothing is heard and nothing is reported.
class SoundPlayer : public QObject {
    Q_OBJECT
public:
    explicit SoundPlayer(QObject* parent = nullptr) : QObject(parent) {}
    void Play(const QString& hostPath);
    QString lastPlayed() const { return lastPlayed_; }
    int playCount() const { return playCount_; }

protected:
    // Starts the sound on the audio device.
    virtual void Start(const QString& hostPath);

private:
    QSoundEffect* effect_ = nullptr;
    QString lastPlayed_;
    int playCount_ = 0;
};

struct Platform {
    // The folder browser titled "Choose directory..."; empty when cancelled.
    std::function<QString(QWidget* owner)> chooseDirectory;
    // The open-file dialog for the sound file; empty when cancelled.
    std::function<QString(QWidget* owner, const QString& filter, const QString& folder)> chooseFile;
    // Opens a web address or a local file in the user's program for it.
    std::function<void(const QString& url)> openUrl;
    // Ends the program at once.
    std::function<void()> endProgram;
    SoundPlayer* sound = nullptr;

    // The desktop's own implementations.
    static Platform Desktop(QObject* owner);
};

// The XDG autostart entry: $XDG_CONFIG_HOME/autostart/vostrel.desktop.
QString AutostartEntryPath();
// Writes the entry so that the desktop session starts `program` at login,
// on the Wine prefix `prefix` when one is given. False when it cannot be
// written, or when a path holds a character an Exec line cannot carry.
bool WriteAutostartEntry(const QString& program, const QString& prefix = {});
// One argument of a desktop entry's Exec line: quoted, with the characters
// that quoting and the entry's string escapes treat specially escaped.
QString DesktopExecArgument(const QString& argument);
bool RemoveAutostartEntry();

// The help page (the user guide we ship) and the support page.
QString HelpPageUrl();
QString SupportPageUrl();

}  // namespace vostrel::shell
