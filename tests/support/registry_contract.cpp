#include "support/registry_contract.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace vostrel::testing {

namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::vector<std::uint8_t> Text(std::string_view text) {
    std::vector<std::uint8_t> bytes = Bytes(text);
    bytes.push_back(0);
    return bytes;
}

struct Planted {
    std::string_view name;
    DWORD kind;
    std::vector<std::uint8_t> given;     // as handed to SetValueEx
    std::vector<std::uint8_t> readBack;  // as QueryValueEx hands it out
};

std::vector<Planted> Values() {
    const std::vector<std::uint8_t> dword{0x78, 0x56, 0x34, 0x12};
    return {
        {"Text", REG_SZ, Text("Caf\xC3\xA9"), Text("Caf\xC3\xA9")},  // 6 bytes: é is two
        {"Empty", REG_SZ, Text(""), Text("")},
        {"NoNul", REG_SZ, Bytes("abc"), Bytes("abc")},  // stored as given, without its NUL
        {"Wide \xE6\x97\xA5", REG_SZ, Text("\xE6\x97\xA5\xE6\x9C\xAC"),
         Text("\xE6\x97\xA5\xE6\x9C\xAC")},
        {"Multi", REG_MULTI_SZ, Bytes(std::string_view("a\0bc\0\0", 6)),
         Bytes(std::string_view("a\0bc\0\0", 6))},
        {"Dw", REG_DWORD, dword, dword},
        {"Bin", REG_BINARY, {1, 2, 3}, {1, 2, 3}},
        {"Nothing", REG_BINARY, {}, {}},
        {"", REG_SZ, Text("default"), Text("default")},
    };
}

std::string Hex(const std::uint8_t* data, std::size_t size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 15];
    }
    return out;
}

}  // namespace

void PlantContract(RegistryApi& registry) {
    ScopedKey key(registry);
    ASSERT_EQ(registry.CreateKeyEx(HKEY_CURRENT_USER, kContractKey, 0, KEY_ALL_ACCESS, key.out(),
                                   nullptr),
              ERROR_SUCCESS);
    for (const Planted& value : Values())
        ASSERT_EQ(registry.SetValueEx(key.get(), value.name, value.kind, value.given.data(),
                                      static_cast<DWORD>(value.given.size())),
                  ERROR_SUCCESS)
            << value.name;
    for (const char* sub : {"Beta", "alpha", "Gamma\xC3\xA9"}) {
        ScopedKey child(registry);
        ASSERT_EQ(registry.CreateKeyEx(key.get(), sub, 0, KEY_ALL_ACCESS, child.out(), nullptr),
                  ERROR_SUCCESS);
    }
}

void CheckBufferRules(RegistryApi& registry) {
    ScopedKey key(registry);
    ASSERT_EQ(registry.OpenKeyEx(HKEY_CURRENT_USER, kContractKey, KEY_READ, key.out()),
              ERROR_SUCCESS);
    for (const Planted& value : Values()) {
        SCOPED_TRACE(std::string(value.name));
        const auto size = static_cast<DWORD>(value.readBack.size());
        DWORD type = 0, cb = 12345;
        // No buffer: the kind and the size.
        EXPECT_EQ(registry.QueryValueEx(key.get(), value.name, &type, nullptr, &cb), ERROR_SUCCESS);
        EXPECT_EQ(type, value.kind);
        EXPECT_EQ(cb, size);
        EXPECT_EQ(registry.QueryValueEx(key.get(), value.name, &type, nullptr, nullptr),
                  ERROR_SUCCESS);
        // A buffer without its size is refused.
        std::array<std::uint8_t, 64> buffer{};
        EXPECT_EQ(registry.QueryValueEx(key.get(), value.name, &type, buffer.data(), nullptr),
                  ERROR_INVALID_PARAMETER);
        // Exactly the size: the data.
        buffer.fill(0xEE);
        cb = size;
        EXPECT_EQ(registry.QueryValueEx(key.get(), value.name, &type, buffer.data(), &cb),
                  ERROR_SUCCESS);
        EXPECT_EQ(cb, size);
        EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + size), value.readBack);
        EXPECT_EQ(buffer[size], 0xEE);  // nothing written past it
        if (size > 0) {
            // One byte short, or no room at all: ERROR_MORE_DATA, the size
            // needed, and the buffer left alone.
            for (const DWORD room : {size - 1, DWORD{0}}) {
                buffer.fill(0xEE);
                cb = room;
                EXPECT_EQ(registry.QueryValueEx(key.get(), value.name, &type, buffer.data(), &cb),
                          ERROR_MORE_DATA);
                EXPECT_EQ(cb, size);
                EXPECT_EQ(buffer[0], 0xEE);
            }
        }
    }
    DWORD cb = 0;
    EXPECT_EQ(registry.QueryValueEx(key.get(), "Missing", nullptr, nullptr, &cb),
              ERROR_FILE_NOT_FOUND);

    // Values by index: the name's buffer counts its NUL.
    const auto values = Values();
    DWORD seen = 0;
    for (DWORD index = 0;; ++index) {
        char name[64];
        DWORD cch = sizeof name, type = 0;
        std::array<std::uint8_t, 64> data{};
        cb = static_cast<DWORD>(data.size());
        const LONG status =
            registry.EnumValue(key.get(), index, name, &cch, &type, data.data(), &cb);
        if (status == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(status, ERROR_SUCCESS);
        ++seen;
        const std::string valueName(name, cch);
        SCOPED_TRACE(valueName);
        EXPECT_EQ(std::strlen(name), cch);
        const Planted* planted = nullptr;
        for (const Planted& v : values)
            if (v.name == valueName) planted = &v;
        ASSERT_NE(planted, nullptr);
        EXPECT_EQ(std::vector<std::uint8_t>(data.begin(), data.begin() + cb), planted->readBack);
        // The name exactly fitting, then one byte short.
        DWORD exact = static_cast<DWORD>(valueName.size() + 1);
        cch = exact;
        EXPECT_EQ(registry.EnumValue(key.get(), index, name, &cch, nullptr, nullptr, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(cch, exact - 1);
        cch = exact - 1;
        EXPECT_EQ(registry.EnumValue(key.get(), index, name, &cch, nullptr, nullptr, nullptr),
                  ERROR_MORE_DATA);
        EXPECT_EQ(cch, exact);
        // The data one byte short: ERROR_MORE_DATA and the size needed.
        if (!planted->readBack.empty()) {
            cch = sizeof name;
            cb = static_cast<DWORD>(planted->readBack.size() - 1);
            EXPECT_EQ(registry.EnumValue(key.get(), index, name, &cch, &type, data.data(), &cb),
                      ERROR_MORE_DATA);
            EXPECT_EQ(cb, planted->readBack.size());
        }
        // The size alone, without a buffer.
        cch = sizeof name;
        cb = 0;
        EXPECT_EQ(registry.EnumValue(key.get(), index, name, &cch, &type, nullptr, &cb),
                  ERROR_SUCCESS);
        EXPECT_EQ(cb, planted->readBack.size());
        EXPECT_EQ(registry.EnumValue(key.get(), index, nullptr, &cch, nullptr, nullptr, nullptr),
                  ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(seen, values.size());

    // Sub-keys by index, with the same rule for the name.
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        char name[64];
        DWORD cch = sizeof name;
        const LONG status = registry.EnumKeyEx(key.get(), index, name, &cch, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(status, ERROR_SUCCESS);
        names.emplace_back(name, cch);
        const DWORD exact = cch + 1;
        cch = exact - 1;
        EXPECT_EQ(registry.EnumKeyEx(key.get(), index, name, &cch, nullptr, nullptr),
                  ERROR_MORE_DATA);
        EXPECT_EQ(cch, exact);
        cch = exact;
        EXPECT_EQ(registry.EnumKeyEx(key.get(), index, name, &cch, nullptr, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(cch, exact - 1);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "Gamma\xC3\xA9"}));
}

std::vector<std::string> Listing(RegistryApi& registry, HKEY root, std::string_view path) {
    std::vector<std::string> lines;
    struct Level {
        HKEY key;
        std::string path;
        DWORD next = 0;
    };
    HKEY top = kNullKey;
    if (registry.OpenKeyEx(root, path, KEY_READ, &top) != ERROR_SUCCESS) return {"missing"};
    std::vector<Level> levels{{top, std::string(path)}};
    std::vector<char> name(70000);
    std::vector<std::uint8_t> data(1 << 20);
    auto listValues = [&](HKEY key) {
        for (DWORD index = 0;; ++index) {
            DWORD cch = static_cast<DWORD>(name.size()), type = 0,
                  cb = static_cast<DWORD>(data.size());
            if (registry.EnumValue(key, index, name.data(), &cch, &type, data.data(), &cb) !=
                ERROR_SUCCESS)
                break;
            lines.push_back("value " + std::string(name.data(), cch) + " " + std::to_string(type) +
                            " " + Hex(data.data(), cb));
        }
    };
    lines.push_back("key " + levels.back().path);
    listValues(top);
    while (!levels.empty()) {
        Level& level = levels.back();
        DWORD cch = static_cast<DWORD>(name.size());
        char cls[512];
        DWORD cchClass = sizeof cls;
        if (registry.EnumKeyEx(level.key, level.next++, name.data(), &cch, cls, &cchClass) !=
            ERROR_SUCCESS) {
            registry.CloseKey(level.key);
            levels.pop_back();
            continue;
        }
        const std::string child(name.data(), cch);
        HKEY sub = kNullKey;
        if (registry.OpenKeyEx(level.key, child, KEY_READ, &sub) != ERROR_SUCCESS) {
            lines.push_back("unopenable " + child);
            continue;
        }
        const std::string subPath = level.path + "\\" + child;
        lines.push_back("key " + subPath + " [" + std::string(cls, cchClass) + "]");
        listValues(sub);
        levels.push_back({sub, subPath});
    }
    return lines;
}

}  // namespace vostrel::testing
