// The settings store on Windows: the registry key where the Visual Basic
// runtime kept GetSetting/SaveSetting values, HKEY_CURRENT_USER\Software\VB and
// VBA Program Settings\<application>\<section>. Value names are compared
// without regard to letter case by the registry itself.
#pragma once

#include <string>

#include "system/settings.h"

namespace vostrel {

// "Software\VB and VBA Program Settings\Vostrel 2006\Settings".
std::string DefaultSettingsKey();

class RegistrySettingsStore final : public SettingsStore {
public:
    // `keyPath` is below HKEY_CURRENT_USER.
    explicit RegistrySettingsStore(std::string keyPath = DefaultSettingsKey());
    std::string Get(std::string_view key, std::string_view fallback) override;
    bool Save(std::string_view key, std::string_view value) override;
    const std::string& keyPath() const { return keyPath_; }

private:
    std::string keyPath_;
};

}  // namespace vostrel
