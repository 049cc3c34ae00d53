#include "shell/deferred_machine.h"

namespace vostrel::shell {

// Before the load every key is missing, every write refused and no file
// exists; the handles given out come from the loaded registry only, so
// none opened before the load is ever passed to it.

LONG DeferredRegistry::OpenKeyEx(HKEY key, std::string_view subKey, DWORD access, HKEY* result) {
    if (loaded_) return loaded_->OpenKeyEx(key, subKey, access, result);
    if (result) *result = kNullKey;
    return ERROR_FILE_NOT_FOUND;
}

LONG DeferredRegistry::OpenKey(HKEY key, std::string_view subKey, HKEY* result) {
    if (loaded_) return loaded_->OpenKey(key, subKey, result);
    if (result) *result = kNullKey;
    return ERROR_FILE_NOT_FOUND;
}

LONG DeferredRegistry::CreateKeyEx(HKEY key, std::string_view subKey, DWORD options, DWORD access,
                                   HKEY* result, DWORD* disposition) {
    if (loaded_) return loaded_->CreateKeyEx(key, subKey, options, access, result, disposition);
    if (result) *result = kNullKey;
    return ERROR_ACCESS_DENIED;
}

LONG DeferredRegistry::QueryValueEx(HKEY key, std::string_view valueName, DWORD* type,
                                    std::uint8_t* data, DWORD* cbData) {
    if (loaded_) return loaded_->QueryValueEx(key, valueName, type, data, cbData);
    return ERROR_FILE_NOT_FOUND;
}

LONG DeferredRegistry::SetValueEx(HKEY key, std::string_view valueName, DWORD type,
                                  const std::uint8_t* data, DWORD cbData) {
    if (loaded_) return loaded_->SetValueEx(key, valueName, type, data, cbData);
    return ERROR_ACCESS_DENIED;
}

LONG DeferredRegistry::DeleteKey(HKEY key, std::string_view subKey) {
    if (loaded_) return loaded_->DeleteKey(key, subKey);
    return ERROR_ACCESS_DENIED;
}

LONG DeferredRegistry::DeleteValue(HKEY key, std::string_view valueName) {
    if (loaded_) return loaded_->DeleteValue(key, valueName);
    return ERROR_ACCESS_DENIED;
}

LONG DeferredRegistry::EnumKeyEx(HKEY key, DWORD index, char* name, DWORD* cchName, char* cls,
                                 DWORD* cchClass) {
    if (loaded_) return loaded_->EnumKeyEx(key, index, name, cchName, cls, cchClass);
    return ERROR_NO_MORE_ITEMS;
}

LONG DeferredRegistry::EnumValue(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* type,
                                 std::uint8_t* data, DWORD* cbData) {
    if (loaded_) return loaded_->EnumValue(key, index, name, cchName, type, data, cbData);
    return ERROR_NO_MORE_ITEMS;
}

LONG DeferredRegistry::CloseKey(HKEY key) {
    return loaded_ ? loaded_->CloseKey(key) : ERROR_SUCCESS;
}

DWORD DeferredRegistry::GetPlatformId() { return loaded_ ? loaded_->GetPlatformId() : 0; }

LONG DeferredRegistry::QueryValueRaw(HKEY key, std::string_view valueName, DWORD* type,
                                     std::vector<std::uint8_t>* data) {
    if (loaded_) return loaded_->QueryValueRaw(key, valueName, type, data);
    return ERROR_FILE_NOT_FOUND;
}

LONG DeferredRegistry::SetValueRaw(HKEY key, std::string_view valueName, DWORD type,
                                   std::span<const std::uint8_t> data) {
    if (loaded_) return loaded_->SetValueRaw(key, valueName, type, data);
    return ERROR_ACCESS_DENIED;
}

std::optional<std::string> DeferredRegistry::WriteRefusal() {
    if (loaded_) return loaded_->WriteRefusal();
    return std::string(kStillLoading);
}

bool DeferredRegistry::KeyIdentity(HKEY key, std::uint64_t* id, bool* throughLink) {
    return loaded_ && loaded_->KeyIdentity(key, id, throughLink);
}

void DeferredRegistry::BeginBatch() {
    if (loaded_) loaded_->BeginBatch();
}

bool DeferredRegistry::EndBatch(std::string* error) {
    if (loaded_) return loaded_->EndBatch(error);
    return true;
}

std::string DeferredFiles::GetWindowsDirectory() {
    return loaded_ ? loaded_->GetWindowsDirectory() : std::string();
}

std::string DeferredFiles::GetSystemDirectory() {
    return loaded_ ? loaded_->GetSystemDirectory() : std::string();
}

std::string DeferredFiles::GetShortPathName(std::string_view path) {
    return loaded_ ? loaded_->GetShortPathName(path) : std::string();
}

LONG DeferredFiles::FindFiles(std::string_view pattern, std::vector<FindData>* found) {
    if (loaded_) return loaded_->FindFiles(pattern, found);
    return ERROR_NOT_READY;
}

DWORD DeferredFiles::GetFileAttributes(std::string_view path) {
    return loaded_ ? loaded_->GetFileAttributes(path) : INVALID_FILE_ATTRIBUTES;
}

std::vector<Drive> DeferredFiles::GetDrives() {
    return loaded_ ? loaded_->GetDrives() : std::vector<Drive>();
}

bool DeferredFiles::GetVolumeInformation(std::string_view root, std::string* label) {
    return loaded_ && loaded_->GetVolumeInformation(root, label);
}

std::string DeferredFiles::GetTempPath() {
    return loaded_ ? loaded_->GetTempPath() : std::string();
}

bool DeferredFiles::DeleteFile(std::string_view path) {
    return loaded_ && loaded_->DeleteFile(path);
}

bool DeferredFiles::CopyFile(std::string_view from, std::string_view to) {
    return loaded_ && loaded_->CopyFile(from, to);
}

std::optional<std::string> DeferredFiles::HostPath(std::string_view windowsPath) {
    if (loaded_) return loaded_->HostPath(windowsPath);
    return std::nullopt;
}

DriveOwner DeferredFiles::OwnerOfDrive(char letter) {
    return loaded_ ? loaded_->OwnerOfDrive(letter) : DriveOwner{};
}

WalkEntry DeferredFiles::ClassifyWalkEntry(std::string_view driveRoot, std::string_view path,
                                           DWORD attributes) {
    if (loaded_) return loaded_->ClassifyWalkEntry(driveRoot, path, attributes);
    return FileSystemApi::ClassifyWalkEntry(driveRoot, path, attributes);
}

std::unique_ptr<DriveWalker> DeferredFiles::StartDriveWalk(std::string_view driveRoot) {
    return loaded_ ? loaded_->StartDriveWalk(driveRoot) : nullptr;
}

std::unique_ptr<HeldFile> DeferredFiles::HoldWalkedFile(std::string_view path, std::string* why,
                                                        bool* gone) {
    if (loaded_) return loaded_->HoldWalkedFile(path, why, gone);
    if (why) *why = kStillLoading;
    if (gone) *gone = false;
    return nullptr;
}

std::optional<std::string> DeferredFiles::PrefixFolder() {
    if (loaded_) return loaded_->PrefixFolder();
    return prefix_;
}

void DeferredFiles::ForgetCache() {
    if (loaded_) loaded_->ForgetCache();
}

DeferredMachine MakeDeferredMachine(const std::string& prefix) {
    DeferredMachine deferred;
    deferred.machine = std::make_unique<Machine>();
    auto registry = std::make_unique<DeferredRegistry>();
    auto files = std::make_unique<DeferredFiles>(prefix);
    deferred.registry = registry.get();
    deferred.files = files.get();
    deferred.machine->registry = std::move(registry);
    deferred.machine->files = std::move(files);
    deferred.machine->description = "Wine prefix " + prefix;
    return deferred;
}

}  // namespace vostrel::shell
