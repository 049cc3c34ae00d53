// The look the skin gives the toolkit's own controls (labels, check boxes,
// lists, frames, text boxes) so that they sit well on the pictures.
#pragma once

class QWidget;

namespace vostrel::shell {

void ApplySkinStyle(QWidget* window);

}  // namespace vostrel::shell
