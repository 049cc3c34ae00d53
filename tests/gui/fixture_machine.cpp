#include "fixture_machine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace vostrel::shell::testing {

std::unique_ptr<Machine> OpenFixtureMachine(const std::string& prefix) {
    const std::string command = std::string("'") + VOSTREL_SOURCE_DIR +
                                "/examples/make-sample-prefix' '" + prefix + "' >/dev/null";
    if (!std::filesystem::exists(prefix + "/system.reg") && std::system(command.c_str()) != 0)
        ADD_FAILURE() << "cannot copy the sample machine";
    MachineResult opened = OpenWinePrefix(prefix);
    if (!opened.machine) ADD_FAILURE() << opened.error;
    return std::move(opened.machine);
}

}  // namespace vostrel::shell::testing
