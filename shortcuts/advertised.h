// Advertised shortcuts: links Windows Installer makes for a product's
// feature. Instead of a target they hold a descriptor naming the product,
// the feature and the component; the shell starts the product through the
// installer. Such a link is broken only when its product is no longer
// registered with the installer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "system/registry_api.h"

namespace vostrel {

struct InstallerDescriptor {
    std::string product;   // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case
    std::string feature;   // the feature's name
    std::string squashed;  // the product code as the installer's keys name it
};

// Decodes a descriptor: 20 characters of base-85 product code, the
// feature's name, then '>' and 20 characters of component code, or '<'.
// Nothing when it is not in that form.
std::optional<InstallerDescriptor> DecodeInstallerDescriptor(std::string_view descriptor);

// A product code in the installer's squashed form: the hex digits of each
// part of the GUID reversed, those of the last eight bytes pairwise.
std::string SquashProductCode(std::string_view guid);

enum class ProductState {
    Registered,  // the installer still knows the product
    Gone,        // none of the installer's product keys names it
    Unknown,     // the machine's installer keys could not be read
};

// Looks for the product's registration: per machine
// (HKLM\Software\Classes\Installer\Products), per user
// (HKCU\Software\Microsoft\Installer\Products, and the Managed and UserData
// keys of every user under HKLM\...\CurrentVersion\Installer).
ProductState InstalledProductState(RegistryApi& registry, const std::string& squashed);

}  // namespace vostrel
