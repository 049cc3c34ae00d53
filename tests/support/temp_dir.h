// A temporary folder that is removed with everything in it when the test ends,
// and an environment override that is undone with it.
#pragma once

#include <optional>
#include <string>

namespace vostrel::testing {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    // The folder, the platform's separator ("/", on Windows "\\") and the name.
    std::string operator/(const std::string& name) const;

private:
    std::string path_;
};

class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

void WriteTextFile(const std::string& path, const std::string& contents);
std::string ReadTextFile(const std::string& path);

}  // namespace vostrel::testing
