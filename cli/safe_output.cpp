#include "cli/safe_output.h"

#include <iostream>

namespace vostrel::cli {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool IsControl(unsigned char c) { return (c < 0x20 && c != '\n' && c != '\t') || c == 0x7F; }

// Appends one byte of the text, given whether a 0xC2 lead byte came just
// before it (which the caller has held back). False when it is a lead
// byte itself, to be held back in turn.
template <typename Emit>
bool Escape(unsigned char c, bool afterLead, Emit emit) {
    if (afterLead) {
        if (c >= 0x80 && c <= 0x9F) {
            const char text[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
            for (char t : text) emit(t);
            return true;
        }
        emit('\xC2');
    }
    if (c == 0xC2) return false;
    if (IsControl(c)) {
        const char text[] = {'\\', 'x', kHex[c >> 4], kHex[c & 0xF]};
        for (char t : text) emit(t);
        return true;
    }
    emit(static_cast<char>(c));
    return true;
}

EscapingBuffer* gStandardOutput = nullptr;

}  // namespace

std::string TerminalSafe(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool lead = false;
    for (char c : text)
        lead = !Escape(static_cast<unsigned char>(c), lead, [&](char t) { out += t; });
    if (lead) out += '\xC2';
    return out;
}

EscapingBuffer::~EscapingBuffer() {
    FlushPending();
    out_->pubsync();
}

void EscapingBuffer::SetRaw(bool raw) {
    FlushPending();
    raw_ = raw;
}

void EscapingBuffer::FlushPending() {
    if (!pendingLead_) return;
    pendingLead_ = false;
    out_->sputc('\xC2');
}

void EscapingBuffer::Put(unsigned char c) {
    if (raw_) {
        out_->sputc(static_cast<char>(c));
        return;
    }
    pendingLead_ = !Escape(c, pendingLead_, [this](char t) { out_->sputc(t); });
}

int EscapingBuffer::overflow(int c) {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    Put(static_cast<unsigned char>(traits_type::to_char_type(c)));
    return c;
}

std::streamsize EscapingBuffer::xsputn(const char* s, std::streamsize n) {
    if (raw_) return out_->sputn(s, n);
    for (std::streamsize i = 0; i < n; ++i) Put(static_cast<unsigned char>(s[i]));
    return n;
}

int EscapingBuffer::sync() { return out_->pubsync(); }

SafeOutput::SafeOutput()
    : oldOut_(std::cout.rdbuf()),
      oldErr_(std::cerr.rdbuf()),
      out_(std::cout.rdbuf()),
      err_(std::cerr.rdbuf()) {
    std::cout.rdbuf(&out_);
    std::cerr.rdbuf(&err_);
    gStandardOutput = &out_;
}

SafeOutput::~SafeOutput() {
    std::cout.flush();
    std::cerr.flush();
    gStandardOutput = nullptr;
    std::cout.rdbuf(oldOut_);
    std::cerr.rdbuf(oldErr_);
}

RawStandardOutput::RawStandardOutput() {
    std::cout.flush();
    if (gStandardOutput) gStandardOutput->SetRaw(true);
}

RawStandardOutput::~RawStandardOutput() {
    std::cout.flush();
    if (gStandardOutput) gStandardOutput->SetRaw(false);
}

}  // namespace vostrel::cli
