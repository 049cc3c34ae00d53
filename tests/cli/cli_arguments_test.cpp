// vostrel-cli's arguments, without a Wine prefix.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

namespace vostrel {
namespace {

int RunCli(const std::string& args, const testing::TempDir& home) {
    const std::string command = "HOME='" + home.path() + "' XDG_CONFIG_HOME='" + home.path() +
                                "' XDG_DATA_HOME='" + home.path() + "' " +
                                std::string(VOSTREL_CLI) + " " + args + " >/dev/null 2>&1";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(CliArguments, MissingPrefixIsAnError) {
    testing::TempDir dir;
    EXPECT_EQ(RunCli("scan --prefix '" + dir.path() + "/none'", dir), 2);
}

TEST(CliArguments, UnknownOptionIsAnError) {
    testing::TempDir dir;
    EXPECT_EQ(RunCli("scan --colour", dir), 2);
    EXPECT_EQ(RunCli("--help", dir), 0);
}

}  // namespace
}  // namespace vostrel
