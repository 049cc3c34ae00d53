// What the command line prints in its text output goes to a terminal or a
// pipe: a control character taken from a registry value's name, a path or a
// game's name must not act on the terminal there (move the cursor, retitle
// the window, hide what follows). Every such character is shown escaped:
// the C0 controls but line feed and tab, and DEL, as \xHH ("\x1B" for ESC);
// the C1 controls (U+0080 to U+009F in UTF-8) as \uHHHH. Other text, valid
// UTF-8 included, is printed as it is. The JSON output escapes controls
// itself and is written unchanged.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace vostrel::cli {

// The text with its control characters escaped as above.
std::string TerminalSafe(std::string_view text);

// A buffer that escapes what passes through it on to another buffer.
class EscapingBuffer final : public std::streambuf {
public:
    explicit EscapingBuffer(std::streambuf* out) : out_(out) {}
    ~EscapingBuffer() override;
    // While set, bytes pass unchanged (the JSON output).
    void SetRaw(bool raw);

protected:
    int overflow(int c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    void Put(unsigned char c);
    void FlushPending();
    std::streambuf* out_;
    bool raw_ = false;
    bool pendingLead_ = false;  // a 0xC2 byte whose next byte decides
};

// Puts escaping buffers under std::cout and std::cerr for its lifetime.
class SafeOutput {
public:
    SafeOutput();
    ~SafeOutput();
    SafeOutput(const SafeOutput&) = delete;
    SafeOutput& operator=(const SafeOutput&) = delete;

private:
    std::streambuf* oldOut_;
    std::streambuf* oldErr_;
    EscapingBuffer out_;
    EscapingBuffer err_;
};

// While it lives, std::cout passes bytes unchanged (for JSON).
class RawStandardOutput {
public:
    RawStandardOutput();
    ~RawStandardOutput();
    RawStandardOutput(const RawStandardOutput&) = delete;
    RawStandardOutput& operator=(const RawStandardOutput&) = delete;
};

}  // namespace vostrel::cli
