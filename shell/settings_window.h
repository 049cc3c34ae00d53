// frmSetings: the four options (backup, report, sound, start with the
// session), each with its folder or file. Nothing is stored before OK;
// Cancel and the close button leave every setting as it was.
#pragma once

#include <QDialog>
#include <optional>
#include <string_view>

#include "shell/skin_layout.h"

class QCheckBox;
class QLineEdit;

namespace vostrel::shell {

struct AppContext;
class IgnoreListBox;
class ImagePair;
class SkinImage;
class SkinLabel;

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    SettingsDialog(AppContext& app, QWidget* parent = nullptr);

    struct Option {
        QCheckBox* box = nullptr;
        SkinLabel* label = nullptr;
        QLineEdit* path = nullptr;    // none for start with the session
        ImagePair* browse = nullptr;  // none for start with the session
        std::string_view boxKey;
        std::string_view pathKey;
    };
    const Option& backup() const { return backup_; }
    const Option& report() const { return report_; }
    const Option& sound() const { return sound_; }
    const Option& startup() const { return startup_; }
    ImagePair* okButton() const { return ok_; }
    ImagePair* cancelButton() const { return cancel_; }
    IgnoreListBox* ignoreList() const { return ignoreList_; }
    ImagePair* closeButton() const { return close_; }
    SkinImage* background() const { return picture2_; }

    void SaveAndClose();
    void BrowseSoundFile();
    void ChooseFolderInto(QLineEdit* path);

private:
    // An option's rows of the layout: the path's are left out for start
    // with the session.
    struct OptionLayout {
        LayoutId box;
        LayoutId label;
        std::optional<LayoutId> pathLabel = std::nullopt;
        std::optional<LayoutId> path = std::nullopt;
        std::optional<LayoutId> browse = std::nullopt;
    };
    void BuildOption(Option& option, const OptionLayout& layout, const QString& caption,
                     const QString& pathCaption);
    void FormLoad();
    // Locks or unlocks an option's path and browse button with its box.
    void BoxClick(Option& option);
    void ApplyRunAtStartup();
    void ResetHoverLooks();
    void StorePathOrTurnOff(Option& option);

    AppContext& app_;
    SkinImage* picture2_ = nullptr;
    Option backup_, report_, sound_, startup_;
    IgnoreListBox* ignoreList_ = nullptr;
    ImagePair* ok_ = nullptr;
    ImagePair* cancel_ = nullptr;
    ImagePair* close_ = nullptr;
};

// Sets a check box from a stored value: a number sets it (1 on, else off);
// anything else leaves it unchanged.
void SetBoxFromStored(QCheckBox* box, const std::string& stored);

}  // namespace vostrel::shell
