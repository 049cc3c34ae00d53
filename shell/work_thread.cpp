#include "shell/work_thread.h"

namespace vostrel::shell {

WorkThread::~WorkThread() { Wait(); }

bool WorkThread::Start(std::function<void()> work, std::function<void()> done) {
    if (running_) return false;
    Wait();  // a thread that ended but whose `done` was not reached yet
    running_ = true;
    done_ = std::move(done);
    failure_ = nullptr;
    thread_ = std::thread([this, work = std::move(work)] {
        try {
            work();
        } catch (...) {
            // Handed to the window's thread, where the work was asked for.
            failure_ = std::current_exception();
        }
        QMetaObject::invokeMethod(
            this, [this] { Finish(); }, Qt::QueuedConnection);
    });
    return true;
}

void WorkThread::Wait() {
    if (thread_.joinable()) thread_.join();
}

void WorkThread::Finish() {
    Wait();
    running_ = false;
    const auto done = std::move(done_);
    done_ = nullptr;
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    if (done) done();
}

}  // namespace vostrel::shell
