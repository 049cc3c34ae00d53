// The prefix chooser of the start view: a drop-down list of the Wine
// prefixes found for the user (Steam, Lutris, Bottles, Heroic, winetricks,
// PlayOnLinux, ~/.wine), each by its label and folder, with the prefix in
// use selected, and "Other folder…" for any folder. Choosing another prefix
// remembers it in the settings and reloads the program on it (a new
// process on that prefix, as --prefix would start it); a folder that holds
// no system.reg is refused with a message, and nothing changes.
#pragma once

#include <QComboBox>
#include <functional>
#include <string>
#include <vector>

#include "prefixes/prefix_finder.h"

namespace vostrel::shell {

struct AppContext;

class PrefixChooser : public QComboBox {
    Q_OBJECT
public:
    // Lists `found` around the prefix in use (`current`, a host folder).
    PrefixChooser(AppContext& app, const std::string& current,
                  const std::vector<prefixes::FoundPrefix>& found, QWidget* parent);
    // The same with the prefixes found from the environment.
    PrefixChooser(AppContext& app, const std::string& current, QWidget* parent);

    // What reloads the program on a chosen prefix; by default the program
    // starts itself again on it and this instance ends.
    void SetReload(std::function<void(const std::string& prefix)> reload) {
        reload_ = std::move(reload);
    }
    // Picks row `index` as the user would (the last row is "Other folder…").
    void Choose(int index);

private:
    void Fill(const std::vector<prefixes::FoundPrefix>& found);
    void Select(const std::string& prefix);

    AppContext& app_;
    std::string current_;
    std::function<void(const std::string& prefix)> reload_;
};

// Starts the program again on `prefix` and ends this instance.
void RestartOnPrefix(AppContext& app, const std::string& prefix);

}  // namespace vostrel::shell
