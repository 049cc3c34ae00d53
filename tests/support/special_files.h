// Files that are not what they seem, for the tests of the code that must
// never wait on them: a FIFO, and a guard that ends a read the code under
// test should never have started on one.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace vostrel::testing {

// Makes a FIFO at `path`; false when the file system cannot hold one.
bool MakeFifo(const std::string& path);

// While it lives, a reader blocked on the FIFO at `path` (opening it, or
// reading from it) is released after `seconds` by a writer that opens it
// and closes it again, so that a fault ends as a failed test rather than a
// hung one. fired() tells whether a reader had to be released.
class FifoUnblocker {
public:
    FifoUnblocker(std::string path, int seconds = 5);
    ~FifoUnblocker();
    FifoUnblocker(const FifoUnblocker&) = delete;
    FifoUnblocker& operator=(const FifoUnblocker&) = delete;
    bool fired() const { return fired_; }

private:
    std::string path_;
    std::atomic<bool> done_{false};
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

}  // namespace vostrel::testing
