#include "system/registry_adapter.h"

#include <algorithm>
#include <cstring>

#include "system/text.h"

namespace vostrel {

namespace {

// The adapter reads every value into one buffer it keeps, so that values do
// not allocate one each. The buffer of a very large value is let go once the
// value is handed over: one huge value does not hold its size for the rest
// of the run.
constexpr std::size_t kKeptScratch = std::size_t{1} << 20;

struct TrimAfterUse {
    explicit TrimAfterUse(StoreValue& value) : value(value) {}
    TrimAfterUse(const TrimAfterUse&) = delete;
    TrimAfterUse& operator=(const TrimAfterUse&) = delete;
    ~TrimAfterUse() {
        if (value.data.capacity() > kKeptScratch) std::vector<std::uint8_t>().swap(value.data);
    }
    StoreValue& value;
};

constexpr DWORD kGenericRead = 0x80000000u;
constexpr DWORD kGenericWrite = 0x40000000u;
constexpr DWORD kGenericExecute = 0x20000000u;
constexpr DWORD kGenericAll = 0x10000000u;
constexpr DWORD kMaximumAllowed = 0x02000000u;
constexpr DWORD kKeyWrite = 0x20006u;
constexpr LONG kNoSystemResources = 1450;  // ERROR_NO_SYSTEM_RESOURCES

constexpr std::uint32_t kSlotBits = 20;
constexpr std::uint32_t kSlotMask = (1u << kSlotBits) - 1;
constexpr std::uint32_t kReuseMask = 0x7FF;  // keeps every handle below the predefined roots

// The specific rights a requested access mask grants on a key.
DWORD GrantedAccess(DWORD access) {
    DWORD granted = access & KEY_ALL_ACCESS;
    if (access & (kGenericRead | kGenericExecute)) granted |= KEY_READ;
    if (access & kGenericWrite) granted |= kKeyWrite;
    if (access & (kGenericAll | kMaximumAllowed)) granted |= KEY_ALL_ACCESS;
    return granted;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void CopyName(std::string_view text, char* buffer) {
    if (!text.empty()) std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
}

std::size_t Utf16Length(std::string_view text) { return Utf8ToUtf16(text).size(); }

}  // namespace

std::vector<std::string_view> SplitKeyPath(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto slash = path.find('\\', start);
        const auto end = slash == std::string_view::npos ? path.size() : slash;
        if (end > start) parts.push_back(path.substr(start, end - start));
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    return parts;
}

// ---------------------------------------------------------------- handles

const RegistryAdapter::Slot* RegistryAdapter::SlotOf(HKEY key) const {
    const std::uint32_t index = (key & kSlotMask);
    if (index == 0 || index > slots_.size()) return nullptr;
    const Slot& slot = slots_[index - 1];
    if (!slot.open || (slot.reuse & kReuseMask) != (key >> kSlotBits)) return nullptr;
    return &slot;
}

LONG RegistryAdapter::Resolve(HKEY key, DWORD need, StoreKey* place) {
    if (IsPredefinedRoot(key)) return store_.Root(key, place);
    if (key == kNullKey || key >= 0x80000000u) return ERROR_INVALID_HANDLE;
    const Slot* slot = SlotOf(key);
    if (!slot) return ERROR_INVALID_HANDLE;
    if ((slot->access & need) != need) return ERROR_ACCESS_DENIED;
    *place = slot->key;
    return ERROR_SUCCESS;
}

LONG RegistryAdapter::NewHandle(StoreKey place, DWORD access, bool throughLink, HKEY* result) {
    std::uint32_t index;
    if (!free_.empty()) {
        index = free_.back();
        free_.pop_back();
    } else {
        if (slots_.size() >= kSlotMask) return kNoSystemResources;
        slots_.emplace_back();
        index = static_cast<std::uint32_t>(slots_.size() - 1);
    }
    Slot& slot = slots_[index];
    slot.key = place;
    slot.access = GrantedAccess(access);
    slot.open = true;
    slot.throughLink = throughLink;
    *result = ((slot.reuse & kReuseMask) << kSlotBits) | (index + 1);
    return ERROR_SUCCESS;
}

LONG RegistryAdapter::CloseKey(HKEY key) {
    if (key == kNullKey || IsPredefinedRoot(key)) return ERROR_SUCCESS;
    if (key >= 0x80000000u || !SlotOf(key)) return ERROR_INVALID_HANDLE;
    const std::uint32_t index = (key & kSlotMask) - 1;
    Slot& slot = slots_[index];
    slot.open = false;
    ++slot.reuse;
    free_.push_back(index);
    return ERROR_SUCCESS;
}

bool RegistryAdapter::KeyIdentity(HKEY key, std::uint64_t* id, bool* throughLink) {
    StoreKey place;
    if (Resolve(key, 0, &place) != ERROR_SUCCESS) return false;
    if (id) *id = store_.Identity(place);
    if (throughLink) {
        const Slot* slot = IsPredefinedRoot(key) ? nullptr : SlotOf(key);
        *throughLink = slot && slot->throughLink;
    }
    return true;
}

// ---------------------------------------------------------------- text

std::string_view RegistryAdapter::InName(std::string_view name) {
    if (side_ == TextSide::Unicode || IsAscii(name)) return name;
    inScratch_ = AnsiView(name);
    return inScratch_;
}

std::string_view RegistryAdapter::OutName(std::string_view name, std::string& scratch) const {
    if (side_ == TextSide::Unicode || IsAscii(name)) return name;
    scratch = AnsiView(name);
    return scratch;
}

void RegistryAdapter::ToProgramSide(StoreValue& value) {
    if (!IsTextKind(value.kind)) return;
    std::vector<std::uint8_t>& bytes = value.data;
    if (!value.utf8) {
        std::u16string units(bytes.size() / 2, u'\0');
        for (std::size_t i = 0; i < units.size(); ++i)
            units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        const std::string text = Utf16ToUtf8(units);
        bytes.assign(text.begin(), text.end());
        value.utf8 = true;
    }
    if (side_ == TextSide::Ansi) {
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (IsAscii(text)) return;
        const std::string squeezed = AnsiView(text);
        bytes.assign(squeezed.begin(), squeezed.end());
    }
}

// ---------------------------------------------------------------- keys

LONG RegistryAdapter::OpenKeyEx(HKEY key, std::string_view subKey, DWORD access, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = kNullKey;
    StoreKey place;
    if (LONG status = Resolve(key, 0, &place); status != ERROR_SUCCESS) return status;
    bool throughLink = false;
    if (LONG status = store_.Open(place, InName(subKey), &place, &throughLink);
        status != ERROR_SUCCESS)
        return status;
    return NewHandle(place, access, throughLink, result);
}

LONG RegistryAdapter::OpenKey(HKEY key, std::string_view subKey, HKEY* result) {
    return OpenKeyEx(key, subKey, kMaximumAllowed, result);
}

LONG RegistryAdapter::CreateKeyEx(HKEY key, std::string_view subKey, DWORD /*options*/,
                                  DWORD access, HKEY* result, DWORD* disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = kNullKey;
    StoreKey place;
    if (LONG status = Resolve(key, 0, &place); status != ERROR_SUCCESS) return status;
    bool created = false;
    if (LONG status = store_.Create(place, InName(subKey), &place, &created);
        status != ERROR_SUCCESS)
        return status;
    if (LONG status = NewHandle(place, access, false, result); status != ERROR_SUCCESS)
        return status;
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

// ---------------------------------------------------------------- reading values

LONG RegistryAdapter::QueryValueEx(HKEY key, std::string_view valueName, DWORD* type,
                                   std::uint8_t* data, DWORD* cbData) {
    if (data && !cbData) return ERROR_INVALID_PARAMETER;
    StoreKey place;
    if (LONG status = Resolve(key, KEY_QUERY_VALUE, &place); status != ERROR_SUCCESS) return status;
    StoreValue& value = scratch_;
    const TrimAfterUse trim(value);
    if (LONG status = store_.ReadValue(place, InName(valueName), DataWanted::Utf8Text, &value);
        status != ERROR_SUCCESS)
        return status;
    ToProgramSide(value);
    if (type) *type = value.kind;
    const auto size = static_cast<DWORD>(value.data.size());
    if (!data) {
        if (cbData) *cbData = size;
        return ERROR_SUCCESS;
    }
    if (size > *cbData) {
        *cbData = size;
        return ERROR_MORE_DATA;
    }
    std::copy(value.data.begin(), value.data.end(), data);
    *cbData = size;
    return ERROR_SUCCESS;
}

LONG RegistryAdapter::QueryValueRaw(HKEY key, std::string_view valueName, DWORD* type,
                                    std::vector<std::uint8_t>* data) {
    StoreKey place;
    if (LONG status = Resolve(key, KEY_QUERY_VALUE, &place); status != ERROR_SUCCESS) return status;
    StoreValue& value = scratch_;
    const TrimAfterUse trim(value);
    const DataWanted want = data ? DataWanted::Stored : DataWanted::None;
    if (LONG status = store_.ReadValue(place, InName(valueName), want, &value);
        status != ERROR_SUCCESS)
        return status;
    if (type) *type = value.kind;
    if (data) data->assign(value.data.begin(), value.data.end());
    return ERROR_SUCCESS;
}

// ---------------------------------------------------------------- enumeration

LONG RegistryAdapter::EnumKeyEx(HKEY key, DWORD index, char* name, DWORD* cchName, char* cls,
                                DWORD* cchClass) {
    if (!name || !cchName) return ERROR_INVALID_PARAMETER;
    StoreKey place;
    if (LONG status = Resolve(key, KEY_ENUMERATE_SUB_KEYS, &place); status != ERROR_SUCCESS)
        return status;
    std::string_view childName, className;
    if (LONG status = store_.SubkeyAt(place, index, &childName, &className);
        status != ERROR_SUCCESS)
        return status;
    childName = OutName(childName, nameScratch_);
    className = OutName(className, classScratch_);
    const bool nameFits = childName.size() < *cchName;
    const bool classFits = !cls || !cchClass || className.size() < *cchClass;
    if (!nameFits || !classFits) {
        if (!nameFits) *cchName = static_cast<DWORD>(childName.size() + 1);
        if (!classFits) *cchClass = static_cast<DWORD>(className.size() + 1);
        return ERROR_MORE_DATA;
    }
    CopyName(childName, name);
    *cchName = static_cast<DWORD>(childName.size());
    if (cls && cchClass) CopyName(className, cls);
    if (cchClass) *cchClass = static_cast<DWORD>(className.size());
    return ERROR_SUCCESS;
}

LONG RegistryAdapter::EnumValue(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* type,
                                std::uint8_t* data, DWORD* cbData) {
    if (!name || !cchName || (data && !cbData)) return ERROR_INVALID_PARAMETER;
    StoreKey place;
    if (LONG status = Resolve(key, KEY_QUERY_VALUE, &place); status != ERROR_SUCCESS) return status;
    StoreValue& value = scratch_;
    const TrimAfterUse trim(value);
    const DataWanted want = (data || cbData) ? DataWanted::Utf8Text : DataWanted::None;
    if (LONG status = store_.ValueAt(place, index, want, &value); status != ERROR_SUCCESS)
        return status;
    if (want == DataWanted::None)
        value.data.clear();
    else
        ToProgramSide(value);
    const std::string_view valueName = OutName(value.name, nameScratch_);
    const std::vector<std::uint8_t>& bytes = value.data;
    if (type) *type = value.kind;
    const bool nameFits = valueName.size() < *cchName;
    const bool dataFits = !data || bytes.size() <= *cbData;
    if (!nameFits || !dataFits) {
        if (!nameFits) *cchName = static_cast<DWORD>(valueName.size() + 1);
        if (cbData) *cbData = static_cast<DWORD>(bytes.size());
        return ERROR_MORE_DATA;
    }
    CopyName(valueName, name);
    *cchName = static_cast<DWORD>(valueName.size());
    if (data) std::copy(bytes.begin(), bytes.end(), data);
    if (cbData) *cbData = static_cast<DWORD>(bytes.size());
    return ERROR_SUCCESS;
}

// ---------------------------------------------------------------- writing values

LONG RegistryAdapter::SetValueEx(HKEY key, std::string_view valueName, DWORD type,
                                 const std::uint8_t* data, DWORD cbData) {
    if (!data && cbData > 0) return ERROR_INVALID_PARAMETER;
    std::vector<std::uint8_t> stored;
    if (IsTextKind(type)) {
        std::string_view text(reinterpret_cast<const char*>(data), cbData);
        std::string squeezed;
        if (side_ == TextSide::Ansi && !IsAscii(text)) text = squeezed = AnsiView(text);
        const std::u16string units = Utf8ToUtf16(text);
        stored.reserve(units.size() * 2);
        for (char16_t u : units) {
            stored.push_back(static_cast<std::uint8_t>(u & 0xFF));
            stored.push_back(static_cast<std::uint8_t>(u >> 8));
        }
    } else if (cbData > 0) {
        stored.assign(data, data + cbData);
    }
    return SetValueRaw(key, valueName, type, stored);
}

LONG RegistryAdapter::SetValueRaw(HKEY key, std::string_view valueName, DWORD type,
                                  std::span<const std::uint8_t> data) {
    StoreKey place;
    if (LONG status = Resolve(key, KEY_SET_VALUE, &place); status != ERROR_SUCCESS) return status;
    const std::string_view name = InName(valueName);
    if (name.size() > kMaxValueNameUnits && Utf16Length(name) > kMaxValueNameUnits)
        return ERROR_INVALID_PARAMETER;
    return store_.SetValue(place, name, type, data);
}

LONG RegistryAdapter::DeleteValue(HKEY key, std::string_view valueName) {
    StoreKey place;
    if (LONG status = Resolve(key, KEY_SET_VALUE, &place); status != ERROR_SUCCESS) return status;
    return store_.DeleteValue(place, InName(valueName));
}

LONG RegistryAdapter::DeleteKey(HKEY key, std::string_view subKey) {
    const auto parts = SplitKeyPath(subKey);
    if (parts.empty()) return ERROR_INVALID_PARAMETER;
    StoreKey place;
    if (LONG status = Resolve(key, 0, &place); status != ERROR_SUCCESS) return status;
    // The keys on the way are opened as any path is (links followed); the
    // last one is taken out itself.
    const std::string_view last = parts.back();
    const std::string_view upTo =
        subKey.substr(0, static_cast<std::size_t>(last.data() - subKey.data()));
    StoreKey parent = place;
    if (!SplitKeyPath(upTo).empty())
        if (LONG status = store_.Open(place, InName(upTo), &parent, nullptr);
            status != ERROR_SUCCESS)
            return status;
    return store_.DeleteKey(parent, InName(last));
}

}  // namespace vostrel
