#include "support/special_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

namespace vostrel::testing {

bool MakeFifo(const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }

FifoUnblocker::FifoUnblocker(std::string path, int seconds) : path_(std::move(path)) {
    thread_ = std::thread([this, seconds] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!done_ && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (done_) return;
        // Keeps releasing: a reader may open the FIFO more than once.
        while (!done_) {
            const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                fired_ = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
}

FifoUnblocker::~FifoUnblocker() {
    done_ = true;
    thread_.join();
}

}  // namespace vostrel::testing
