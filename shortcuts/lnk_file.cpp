#include "shortcuts/lnk_file.h"

// The packaged header pulls in libbfio's header for functions this program
// never calls; that header is not packaged, so leave those functions out.
#include <liblnk/features.h>
#undef LIBLNK_HAVE_BFIO
#include <liblnk.h>

#include <memory>
#include <string_view>

#include "shortcuts/lnk_layout.h"
#include "system/text.h"

namespace vostrel {

namespace {

using Getter = int (*)(liblnk_file_t*, std::uint8_t*, size_t, liblnk_error_t**);
using SizeGetter = int (*)(liblnk_file_t*, size_t*, liblnk_error_t**);

struct ErrorSink {
    liblnk_error_t* error = nullptr;
    ~ErrorSink() {
        if (error) liblnk_error_free(&error);
    }
    liblnk_error_t** out() {
        if (error) liblnk_error_free(&error);
        return &error;
    }
};

struct FileCloser {
    void operator()(liblnk_file_t* file) const {
        liblnk_error_t* error = nullptr;
        liblnk_file_close(file, &error);
        liblnk_file_free(&file, &error);
        if (error) liblnk_error_free(&error);
    }
};

// One UTF-8 string of the link: the empty text when it has none, nothing
// when the file is damaged. The size liblnk gives is worked out from the
// file and is not trusted: for a location block whose paths are empty it
// comes out as 0 + 0 - 1, wrapped around. No string of a link can take more
// UTF-8 bytes than `limit`, three for every byte of the file.
std::optional<std::string> ReadString(liblnk_file_t* file, SizeGetter sizeOf, Getter get,
                                      std::size_t limit) {
    ErrorSink sink;
    size_t size = 0;
    if (sizeOf(file, &size, sink.out()) != 1 || size == 0) return std::string();
    if (size > limit) return std::nullopt;
    std::string text(size, '\0');
    if (get(file, reinterpret_cast<std::uint8_t*>(text.data()), size, sink.out()) != 1)
        return std::string();
    text.resize(text.find('\0') == std::string::npos ? size : text.find('\0'));
    return text;
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// An ANSI text of the link information in the machine's code page, or its
// UTF-16 form when there is one; nothing when the bytes are no text there.
std::optional<std::string> InfoText(const std::string& ansi,
                                    const std::optional<std::u16string>& unicode,
                                    unsigned codePage) {
    if (unicode) return Utf16ToUtf8(*unicode);
    return AnsiCodePageToUtf8(ansi, codePage);
}

void ReadLocation(const LnkLinkInfo& info, unsigned codePage, LnkFile& lnk) {
    const auto suffix = InfoText(info.suffixAnsi, info.suffixUnicode, codePage);
    if (info.onVolume) {
        // The UTF-16 base, when the link has one, names the target whatever
        // the code pages of the two machines.
        const bool unicodeBase = info.localBaseUnicode && !info.localBaseUnicode->empty();
        const auto base = unicodeBase
                              ? std::optional<std::string>(Utf16ToUtf8(*info.localBaseUnicode))
                              : AnsiCodePageToUtf8(info.localBaseAnsi, codePage);
        if (base && suffix) {
            lnk.localPath = *base;
            if (!suffix->empty() && !lnk.localPath.empty() && lnk.localPath.back() != '\\')
                lnk.localPath.push_back('\\');
            lnk.localPath += *suffix;
        }
        lnk.localPathUnsure = !base || !suffix || lnk.localPath.find('?') != std::string::npos;
    }
    if (info.onNetwork) {
        const auto share = InfoText(info.netNameAnsi, info.netNameUnicode, codePage);
        if (share && suffix) {
            lnk.networkPath = *share;
            if (!suffix->empty()) lnk.networkPath += "\\" + *suffix;
        }
    }
    constexpr std::uint32_t kRemoteDrive = 4;
    lnk.onNetwork = info.onNetwork || (info.onVolume && info.driveType == kRemoteDrive);
}

// The Darwin descriptor block: the descriptor in ANSI (260 bytes), then in
// UTF-16 (520 bytes); the UTF-16 form is the one Windows reads.
std::string DarwinDescriptor(std::span<const std::uint8_t> block, unsigned codePage) {
    constexpr std::size_t kAnsiAt = 8, kAnsiSize = 260, kUnicodeAt = kAnsiAt + kAnsiSize;
    if (block.size() < kUnicodeAt) return {};
    std::u16string wide;
    for (std::size_t i = kUnicodeAt; i + 1 < block.size(); i += 2) {
        const auto c = static_cast<char16_t>(block[i] | (block[i + 1] << 8));
        if (c == 0) break;
        wide.push_back(c);
    }
    if (!wide.empty()) return Utf16ToUtf8(wide);
    std::string ansi;
    for (std::size_t i = kAnsiAt; i < kUnicodeAt && block[i] != 0; ++i)
        ansi.push_back(static_cast<char>(block[i]));
    return AnsiCodePageToUtf8(ansi, codePage).value_or(std::string());
}

// The shell item list; none when liblnk gives a size the file cannot hold.
std::vector<std::uint8_t> ReadItemList(liblnk_file_t* file, std::size_t fileSize) {
    ErrorSink sink;
    size_t size = 0;
    if (liblnk_file_get_link_target_identifier_data_size(file, &size, sink.out()) != 1 ||
        size == 0 || size > fileSize)
        return {};
    std::vector<std::uint8_t> data(size);
    if (liblnk_file_copy_link_target_identifier_data(file, data.data(), size, sink.out()) != 1)
        return {};
    return data;
}

}  // namespace

std::optional<LnkFile> ReadLnkFile(const std::string& hostPath, unsigned codePage) {
    // Shell links are small; liblnk gets only files whose parts fit in them.
    constexpr std::size_t kMaxLnkSize = 1 << 20;
    const auto bytes = ReadSmallRegularFile(hostPath, kMaxLnkSize);
    if (!bytes) return std::nullopt;
    return ReadLnkFile(hostPath, *bytes, codePage);
}

namespace {

std::optional<LnkFile> ReadLnkFileThrough(const std::string& hostPath,
                                          const std::vector<std::uint8_t>& contents,
                                          unsigned codePage) {
    const auto layout = ReadLnkLayout(contents);
    if (!layout) return std::nullopt;
    ErrorSink sink;
    liblnk_file_t* raw = nullptr;
    if (liblnk_file_initialize(&raw, sink.out()) != 1) return std::nullopt;
    std::unique_ptr<liblnk_file_t, FileCloser> file(raw);
    // liblnk reads the strings of a link that keeps them in ANSI in the
    // machine's code page when it knows that code page.
    const bool codePageKnown =
        liblnk_file_set_ascii_codepage(raw, static_cast<int>(codePage), sink.out()) == 1;
    if (!codePageKnown)
        liblnk_file_set_ascii_codepage(raw, LIBLNK_CODEPAGE_WINDOWS_1252, sink.out());
    if (liblnk_file_open(raw, hostPath.c_str(), LIBLNK_OPEN_READ, sink.out()) != 1) {
        // A file that never opened must not be closed.
        liblnk_file_free(&raw, sink.out());
        (void)file.release();
        return std::nullopt;
    }
    const std::size_t limit = contents.size() * 3 + 1;
    LnkFile lnk;
    const auto relative = ReadString(raw, liblnk_file_get_utf8_relative_path_size,
                                     liblnk_file_get_utf8_relative_path, limit);
    const auto working = ReadString(raw, liblnk_file_get_utf8_working_directory_size,
                                    liblnk_file_get_utf8_working_directory, limit);
    const auto environment =
        ReadString(raw, liblnk_file_get_utf8_environment_variables_location_size,
                   liblnk_file_get_utf8_environment_variables_location, limit);
    // liblnk's own reading of the location, only to see that it can be read.
    const auto local = ReadString(raw, liblnk_file_get_utf8_local_path_size,
                                  liblnk_file_get_utf8_local_path, limit);
    const auto network = ReadString(raw, liblnk_file_get_utf8_network_path_size,
                                    liblnk_file_get_utf8_network_path, limit);
    if (!relative || !working || !environment || !local || !network) return std::nullopt;
    lnk.relativePath = *relative;
    lnk.workingDirectory = *working;
    lnk.environmentPath = *environment;
    constexpr std::uint32_t kUnicodeStrings = 0x80;
    // ANSI strings in a code page liblnk does not know name no file for sure.
    if (!codePageKnown && !(layout->flags & kUnicodeStrings) && !IsAscii(lnk.relativePath))
        lnk.relativePath.clear();
    if (layout->linkInfo) ReadLocation(*layout->linkInfo, codePage, lnk);
    lnk.itemList = ReadItemList(raw, contents.size());
    lnk.advertised = (layout->flags & kLnkHasDarwinId) != 0;
    if (lnk.advertised)
        for (const auto& [signature, block] : layout->extraBlocks)
            if (signature == kLnkDarwinBlock)
                lnk.darwinDescriptor = DarwinDescriptor(block, codePage);
    return lnk;
}

}  // namespace

std::optional<LnkFile> ReadLnkFile(const std::string& hostPath,
                                   const std::vector<std::uint8_t>& contents, unsigned codePage) {
    try {
        return ReadLnkFileThrough(hostPath, contents, codePage);
    } catch (...) {
        // Whatever goes wrong inside one file (memory, a length no string
        // can have) leaves that file unread, never the scan stopped.
        return std::nullopt;
    }
}

}  // namespace vostrel
