// The machine the GUI tests scan: a copy of the sample prefix in examples/.
#pragma once

#include <memory>
#include <string>

#include "system/machine.h"

namespace vostrel::shell::testing {

// Copies the sample machine to `prefix` and opens it.
std::unique_ptr<Machine> OpenFixtureMachine(const std::string& prefix);

}  // namespace vostrel::shell::testing
