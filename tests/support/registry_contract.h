// The registry calls' contract as one table of checks, run against every
// store behind the adapter (the in-memory registry of the tests and a Wine
// prefix's files), so that both are held to the same buffer rules and the
// same order: values planted through the calls themselves, then read back
// with buffers that fit exactly, are one byte short, are empty or missing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "system/registry_api.h"

namespace vostrel::testing {

// The key the contract plants its values in, below HKEY_CURRENT_USER.
inline constexpr std::string_view kContractKey = "Software\\Vostrel Contract";

// Writes the contract's keys and values through the calls.
void PlantContract(RegistryApi& registry);

// Checks QueryValueEx, EnumValue and EnumKeyEx on what PlantContract wrote.
void CheckBufferRules(RegistryApi& registry);

// Every key below root\path (itself included), depth first in listing
// order, one line per key and per value: "key <path> [class]" and
// "value <name> <kind> <data as hex>".
std::vector<std::string> Listing(RegistryApi& registry, HKEY root, std::string_view path);

}  // namespace vostrel::testing
