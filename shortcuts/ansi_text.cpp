#ifdef _WIN32
// The Windows headers come first, before the program's own names.
#include "system/win32/windows_headers.h"
#endif

#include "shortcuts/ansi_text.h"

#ifdef _WIN32
#include "system/win32/code_page.h"
#else
#include <iconv.h>

#include <cerrno>
#include <vector>
#endif

#include "system/registry.h"
#include "system/text.h"

namespace vostrel {

namespace {

bool IsAsciiOnly(std::string_view bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

#ifdef _WIN32

std::optional<std::string> Decode(std::string_view bytes, unsigned codePage) {
    const int size = static_cast<int>(bytes.size());
    const int length =
        ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length);
    return win32::Narrow(wide);
}

#else

// glibc's names for the Windows code pages a machine may run in; the first
// one the library knows is used.
std::vector<std::string> IconvNames(unsigned codePage) {
    switch (codePage) {
        case 65001: return {"UTF-8"};
        case 932: return {"CP932", "SHIFT_JIS"};
        case 936: return {"CP936", "GBK"};
        case 949: return {"CP949", "UHC"};
        case 950: return {"CP950", "BIG5"};
        case 874: return {"CP874", "TIS-620"};
        default: return {"CP" + std::to_string(codePage), "WINDOWS-" + std::to_string(codePage)};
    }
}

// iconv_open's failure value, (iconv_t)-1.
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)

std::optional<std::string> Decode(std::string_view bytes, unsigned codePage) {
    iconv_t converter = kNoConverter;
    for (const auto& name : IconvNames(codePage)) {
        converter = ::iconv_open("UTF-8", name.c_str());
        if (converter != kNoConverter) break;
    }
    if (converter == kNoConverter) return std::nullopt;
    std::string in(bytes);
    std::string out(bytes.size() * 4 + 4, '\0');
    char* inAt = in.data();
    std::size_t inLeft = in.size();
    char* outAt = out.data();
    std::size_t outLeft = out.size();
    const std::size_t done = ::iconv(converter, &inAt, &inLeft, &outAt, &outLeft);
    ::iconv_close(converter);
    // A byte the code page has no character for, or a lead byte cut off:
    // no text in that code page.
    if (done == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

#endif

}  // namespace

std::optional<std::string> AnsiCodePageToUtf8(std::string_view bytes, unsigned codePage) {
    if (IsAsciiOnly(bytes)) return std::string(bytes);
    if (codePage == kWesternCodePage) return AnsiToUtf8(bytes);
    return Decode(bytes, codePage);
}

unsigned MachineAnsiCodePage(RegistryApi& registry) {
    std::string text;
    if (!QueryRegistryValue(registry, HKEY_LOCAL_MACHINE,
                            "System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP", text))
        return kWesternCodePage;
    text = std::string(Trim(text));
    if (text.empty() || text.size() > 5) return kWesternCodePage;
    unsigned codePage = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return kWesternCodePage;
        codePage = codePage * 10 + static_cast<unsigned>(c - '0');
    }
    return codePage == 0 ? kWesternCodePage : codePage;
}

}  // namespace vostrel
