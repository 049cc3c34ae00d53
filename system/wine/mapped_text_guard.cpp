// The SIGBUS guard of mapped registry text: a fixed table of ranges read by
// the signal handler without locks.
#include "system/wine/mapped_text_guard.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace vostrel {
namespace {

constexpr int kSlots = 64;  // three files a prefix; a few prefixes at a time

struct Range {
    std::atomic<bool> taken{false};
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
};

Range g_ranges[kSlots];
std::atomic<std::size_t> g_replaced{0};
struct sigaction g_previous {};
std::once_flag g_installed;

void PassOn(int signal, siginfo_t* info, void* context) {
    if (g_previous.sa_flags & SA_SIGINFO) {
        if (g_previous.sa_sigaction) {
            g_previous.sa_sigaction(signal, info, context);
            return;
        }
    } else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(signal);
        return;
    }
    // Nobody else wanted it: die of the signal as if there were no guard.
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    ::sigaction(signal, &plain, nullptr);
    ::raise(signal);
}

void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (const Range& range : g_ranges) {
        const std::uintptr_t begin = range.begin.load(std::memory_order_acquire);
        if (begin == 0 || at < begin || at >= range.end.load(std::memory_order_acquire)) continue;
        const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        void* where =
            reinterpret_cast<void*>(at & ~(page - 1));  // NOLINT(performance-no-int-to-ptr)
        if (::mmap(where, page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) ==
            MAP_FAILED)
            break;
        g_replaced.fetch_add(1, std::memory_order_relaxed);
        return;  // the read is made again, and finds zeros
    }
    PassOn(signal, info, context);
}

void Install() {
    struct sigaction action {};
    action.sa_sigaction = &OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &g_previous);
}

}  // namespace

bool GuardMappedText(const char* begin, std::size_t length) {
    std::call_once(g_installed, Install);
    const auto from = reinterpret_cast<std::uintptr_t>(begin);
    for (Range& range : g_ranges) {
        bool expected = false;
        if (!range.taken.compare_exchange_strong(expected, true, std::memory_order_acq_rel))
            continue;
        // The end before the start: the handler reads a slot by its start.
        range.end.store(from + length, std::memory_order_release);
        range.begin.store(from, std::memory_order_release);
        return true;
    }
    return false;
}

void UnguardMappedText(const char* begin) {
    const auto from = reinterpret_cast<std::uintptr_t>(begin);
    for (Range& range : g_ranges) {
        if (range.begin.load(std::memory_order_acquire) != from) continue;
        range.begin.store(0, std::memory_order_release);
        range.end.store(0, std::memory_order_release);
        range.taken.store(false, std::memory_order_release);
        return;
    }
}

std::size_t MappedPagesReplaced() { return g_replaced.load(std::memory_order_relaxed); }

}  // namespace vostrel
