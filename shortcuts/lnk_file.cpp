#include "shortcuts/lnk_file.h"

// The packaged header pulls in libbfio's header for functions this program
// never calls; that header is not packaged, so leave those functions out.
#include <liblnk/features.h>
#undef LIBLNK_HAVE_BFIO
#include <liblnk.h>

#include <memory>

#include "shortcuts/lnk_layout.h"

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

// One UTF-8 string of the link, or the empty text when it has none.
std::string ReadString(liblnk_file_t* file, SizeGetter sizeOf, Getter get) {
    ErrorSink sink;
    size_t size = 0;
    if (sizeOf(file, &size, sink.out()) != 1 || size == 0) return {};
    std::string text(size, '\0');
    if (get(file, reinterpret_cast<std::uint8_t*>(text.data()), size, sink.out()) != 1) return {};
    text.resize(text.find('\0') == std::string::npos ? size : text.find('\0'));
    return text;
}

std::vector<std::uint8_t> ReadItemList(liblnk_file_t* file) {
    ErrorSink sink;
    size_t size = 0;
    if (liblnk_file_get_link_target_identifier_data_size(file, &size, sink.out()) != 1 || size == 0)
        return {};
    std::vector<std::uint8_t> data(size);
    if (liblnk_file_copy_link_target_identifier_data(file, data.data(), size, sink.out()) != 1)
        return {};
    return data;
}

}  // namespace

std::optional<LnkFile> ReadLnkFile(const std::string& hostPath) {
    // Shell links are small; liblnk gets only files whose parts fit in them.
    constexpr std::size_t kMaxLnkSize = 1 << 20;
    const auto bytes = ReadSmallRegularFile(hostPath, kMaxLnkSize);
    if (!bytes) return std::nullopt;
    return ReadLnkFile(hostPath, *bytes);
}

std::optional<LnkFile> ReadLnkFile(const std::string& hostPath,
                                   const std::vector<std::uint8_t>& contents) {
    if (!LnkSizesFit(contents)) return std::nullopt;
    ErrorSink sink;
    liblnk_file_t* raw = nullptr;
    if (liblnk_file_initialize(&raw, sink.out()) != 1) return std::nullopt;
    std::unique_ptr<liblnk_file_t, FileCloser> file(raw);
    liblnk_file_set_ascii_codepage(raw, LIBLNK_CODEPAGE_WINDOWS_1252, sink.out());
    if (liblnk_file_open(raw, hostPath.c_str(), LIBLNK_OPEN_READ, sink.out()) != 1) {
        // A file that never opened must not be closed.
        liblnk_file_free(&raw, sink.out());
        (void)file.release();
        return std::nullopt;
    }
    LnkFile lnk;
    lnk.localPath =
        ReadString(raw, liblnk_file_get_utf8_local_path_size, liblnk_file_get_utf8_local_path);
    lnk.networkPath =
        ReadString(raw, liblnk_file_get_utf8_network_path_size, liblnk_file_get_utf8_network_path);
    lnk.relativePath = ReadString(raw, liblnk_file_get_utf8_relative_path_size,
                                  liblnk_file_get_utf8_relative_path);
    lnk.workingDirectory = ReadString(raw, liblnk_file_get_utf8_working_directory_size,
                                      liblnk_file_get_utf8_working_directory);
    lnk.environmentPath = ReadString(raw, liblnk_file_get_utf8_environment_variables_location_size,
                                     liblnk_file_get_utf8_environment_variables_location);
    lnk.itemList = ReadItemList(raw);
    return lnk;
}

}  // namespace vostrel
