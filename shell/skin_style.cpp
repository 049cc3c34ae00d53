#include "shell/skin_style.h"

#include <QWidget>

#include "shell/skin.h"

namespace vostrel::shell {

namespace {

constexpr const char* kStyle = R"(
QLabel { color: #ffffff; background: transparent; }
QCheckBox { color: #ffffff; background: transparent; }
QCheckBox::indicator { width: 13px; height: 13px; background: #f4f8fb; border: 1px solid #2bb3e6; }
QCheckBox::indicator:checked { image: url(:/skin/check.svg); }
QCheckBox::indicator:indeterminate { image: url(:/skin/check_grey.svg); }
QCheckBox:focus { outline: 1px dotted #ffffff; }
QGroupBox { color: #9fd8f0; border: 1px solid rgba(43,179,230,140); border-radius: 5px;
            margin-top: 8px; padding-top: 6px; background: rgba(7,21,34,90); }
QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }
QTreeView { background: #f4f8fb; color: #10263a; border: 1px solid #2bb3e6;
            selection-background-color: #1f6ea6; selection-color: #ffffff; }
QTreeView::indicator { width: 13px; height: 13px; }
QHeaderView::section { background: #174b76; color: #ffffff; border: 0;
                       border-right: 1px solid #0b1d30; padding: 3px 6px; font-weight: bold; }
QLineEdit { background: #f4f8fb; color: #10263a; border: 1px solid #2bb3e6; padding: 1px 3px; }
QLineEdit:read-only { background: #b9c6d0; color: #3b4d5c; }
QPushButton { color: #ffffff; background: #1f6ea6; border: 1px solid #0b1d30; border-radius: 4px;
              padding: 3px 10px; }
QPushButton:disabled { color: #8aa0b2; background: #23435e; }
QPushButton:focus { border: 1px solid #ffb627; }
QToolTip { color: #10263a; background: #fff6dc; border: 1px solid #f59e1b; }
)";

}  // namespace

void ApplySkinStyle(QWidget* window) {
    EnsureArtwork();
    window->setStyleSheet(kStyle);
}

}  // namespace vostrel::shell
