// The Return button of the results view: back to the start view, with
// "Show Log" enabled when a scan report exists.
#pragma once

#include <string>

#include "scan/main_form.h"

namespace vostrel {

void ImgReturnMouseMove_Click(MainForm& form);

}  // namespace vostrel
