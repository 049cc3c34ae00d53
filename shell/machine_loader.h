// Reading a Wine prefix off the window's thread: the registry files of a big
// prefix take a good part of a second to read, and the window is to show at
// once. The worker only builds a new machine of its own; the window's
// thread takes it over when the worker's queued signal arrives, and puts it
// into the deferred machine the session was made over.
#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "shell/deferred_machine.h"
#include "system/machine.h"

class QThread;

namespace vostrel::shell {

struct AppContext;

class MachineLoader : public QObject {
    Q_OBJECT
public:
    explicit MachineLoader(std::string prefix, QObject* parent = nullptr);
    // Waits for a worker still reading (the program is ending).
    ~MachineLoader() override;

    // Starts reading the prefix on a worker thread; finished() follows on
    // the thread this object lives in.
    void Start();
    // What the worker made: the machine, or the reason it could not.
    MachineResult TakeResult();

signals:
    void finished();

private:
    std::string prefix_;
    QThread* thread_ = nullptr;
    std::shared_ptr<MachineResult> result_;
};

// The prefix is read: its machine goes into the deferred one and the main
// window (if it is shown yet) leaves its loading state.
void FinishLoading(AppContext& app, DeferredMachine& deferred, std::unique_ptr<Machine> loaded);

}  // namespace vostrel::shell
