// The long work of the main window (a scan, a repair) on a thread of its
// own, so that the window keeps answering while it runs. The work talks to
// the window only through the observer's events, which ScanView passes
// over as queued calls; its end reaches the window's thread the same way,
// after every event the work sent before it.
#pragma once

#include <QObject>
#include <exception>
#include <functional>
#include <thread>

namespace vostrel::shell {

class WorkThread final : public QObject {
public:
    explicit WorkThread(QObject* parent = nullptr) : QObject(parent) {}
    // Waits for work still running (the window is going away); its `done`
    // is not run then.
    ~WorkThread() override;

    // Runs `work` on a new thread and, once it has returned, `done` on this
    // object's thread. False (and nothing runs) while other work runs.
    bool Start(std::function<void()> work, std::function<void()> done);
    // From Start until `done` is called.
    bool Running() const { return running_; }
    // Waits until the work has returned; `done` still follows as a queued
    // call, unless this object goes first.
    void Wait();

private:
    void Finish();

    std::function<void()> done_;
    std::exception_ptr failure_;
    std::thread thread_;
    bool running_ = false;
};

}  // namespace vostrel::shell
