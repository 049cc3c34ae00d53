#include "shell/prefix_chooser.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QSignalBlocker>
#include <filesystem>

#include "shell/app.h"
#include "shell/main_window.h"
#include "shell/skin.h"
#include "system/settings_keys.h"

namespace vostrel::shell {

namespace {

namespace fs = std::filesystem;

// The folder as one spelling: links resolved where it exists.
std::string Canonical(const std::string& folder) {
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(fs::absolute(folder, ec), ec);
    return ec ? folder : resolved.string();
}

bool HoldsRegistry(const std::string& folder) {
    std::error_code ec;
    return fs::is_regular_file(fs::path(folder) / "system.reg", ec);
}

}  // namespace

PrefixChooser::PrefixChooser(AppContext& app, const std::string& current,
                             const std::vector<prefixes::FoundPrefix>& found, QWidget* parent)
    : QComboBox(parent), app_(app), current_(Canonical(current)) {
    setObjectName(LayoutName(LayoutId::MainPrefixChooser));
    setAccessibleName(tr("Wine prefix"));
    setToolTip(tr("The Wine prefix to scan; choosing another one reloads the program on it."));
    reload_ = [this](const std::string& prefix) { RestartOnPrefix(app_, prefix); };
    Fill(found);
    connect(this, &QComboBox::activated, this, &PrefixChooser::Choose);
}

PrefixChooser::PrefixChooser(AppContext& app, const std::string& current, QWidget* parent)
    : PrefixChooser(app, current,
                    prefixes::FindWinePrefixes(prefixes::PlacesFromEnvironment()).prefixes,
                    parent) {}

void PrefixChooser::Fill(const std::vector<prefixes::FoundPrefix>& found) {
    const QSignalBlocker blocker(this);
    clear();
    bool currentListed = false;
    for (const auto& prefix : found) {
        const std::string path = Canonical(prefix.path);
        currentListed = currentListed || path == current_;
        addItem(tr("%1 \u2014 %2")
                    .arg(QString::fromStdString(prefix.label), QString::fromStdString(path)),
                QString::fromStdString(path));
        setItemData(count() - 1, QString::fromStdString(prefix.source), Qt::ToolTipRole);
    }
    if (!currentListed)
        insertItem(0,
                   tr("%1 \u2014 %2")
                       .arg(QString::fromStdString(fs::path(current_).filename().string()),
                            QString::fromStdString(current_)),
                   QString::fromStdString(current_));
    addItem(tr("Other folder\u2026"), QString());
    Select(current_);
}

void PrefixChooser::Select(const std::string& prefix) {
    const QSignalBlocker blocker(this);
    const int index = findData(QString::fromStdString(prefix));
    setCurrentIndex(index >= 0 ? index : 0);
}

void PrefixChooser::Choose(int index) {
    if (index < 0 || index >= count()) return;
    std::string chosen = itemData(index).toString().toStdString();
    if (chosen.empty()) {  // "Other folder…"
        const QString folder =
            app_.platform.chooseDirectory ? app_.platform.chooseDirectory(window()) : QString();
        if (folder.isEmpty()) {
            Select(current_);
            return;
        }
        chosen = Canonical(folder.toStdString());
    }
    if (chosen == current_) {
        Select(current_);
        return;
    }
    if (!HoldsRegistry(chosen)) {
        Select(current_);
        QMessageBox::warning(window(), tr("Vostrel 2006"),
                             tr("%1 is no Wine prefix: it holds no system.reg.")
                                 .arg(QString::fromStdString(chosen)));
        return;
    }
    app_.settings->Save(kWinePrefixKey, chosen);
    if (reload_) reload_(chosen);
}

void RestartOnPrefix(AppContext& app, const std::string& prefix) {
    const QString program =
        app.programPath.isEmpty() ? QCoreApplication::applicationFilePath() : app.programPath;
    if (!QProcess::startDetached(program, {"--prefix", QString::fromStdString(prefix)})) {
        QMessageBox::warning(
            app.main, QCoreApplication::translate("vostrel::shell::PrefixChooser", "Vostrel 2006"),
            QCoreApplication::translate("vostrel::shell::PrefixChooser",
                                        "The program could not be started again on %1.")
                .arg(QString::fromStdString(prefix)));
        return;
    }
    if (app.platform.endProgram) app.platform.endProgram();
}

}  // namespace vostrel::shell
