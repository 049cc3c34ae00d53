#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace vostrel::testing {

namespace {

// A fresh folder under the system's temporary folder; create_directory fails
// for a name that is already taken, so two tests never share one.
std::string MakeUniqueFolder() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = base / ("vostrel-test-" + std::to_string(random() % 1000000000));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) return candidate.string();
    }
    throw std::runtime_error("cannot create a temporary folder");
}

void SetVariable(const std::string& name, const std::string* value) {
#ifdef _WIN32
    ::_putenv_s(name.c_str(), value ? value->c_str() : "");
#else
    if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
#endif
}

}  // namespace

TempDir::TempDir() : path_(MakeUniqueFolder()) {}

std::string TempDir::operator/(const std::string& name) const {
    return path_ + static_cast<char>(std::filesystem::path::preferred_separator) + name;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    SetVariable(name_, &value);
}

ScopedEnv::~ScopedEnv() { SetVariable(name_, old_ ? &*old_ : nullptr); }

void WriteTextFile(const std::string& path, const std::string& contents) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << contents;
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

}  // namespace vostrel::testing
