#include "shell/machine_loader.h"

#include <QThread>

#include "shell/app.h"
#include "shell/engine.h"
#include "shell/main_window.h"

namespace vostrel::shell {

MachineLoader::MachineLoader(std::string prefix, QObject* parent)
    : QObject(parent), prefix_(std::move(prefix)) {}

MachineLoader::~MachineLoader() {
    if (!thread_) return;
    thread_->wait();
    delete thread_;
}

void MachineLoader::Start() {
    if (thread_) return;
    result_ = std::make_shared<MachineResult>();
    // The worker writes only the result it shares with this object; the
    // signal is queued to this object's thread, which reads it afterwards.
    thread_ = QThread::create(
        [prefix = prefix_, result = result_] { *result = engine::OpenMachine(prefix); });
    connect(thread_, &QThread::finished, this, &MachineLoader::finished, Qt::QueuedConnection);
    thread_->start();
}

MachineResult MachineLoader::TakeResult() {
    if (!result_) return {};
    MachineResult taken = std::move(*result_);
    result_.reset();
    return taken;
}

void FinishLoading(AppContext& app, DeferredMachine& deferred, std::unique_ptr<Machine> loaded) {
    if (loaded) {
        deferred.registry->Install(std::move(loaded->registry));
        deferred.files->Install(std::move(loaded->files));
        app.scanned.machine->description = loaded->description;
    }
    app.loading = false;
    if (app.main) app.main->MachineLoaded();
}

}  // namespace vostrel::shell
