// libFuzzer target for the .reg reader and the save: whatever it accepts
// saves back unchanged when nothing changed, writes back to text it reads
// again into the same file, and after a value is deleted saves only with the
// lines that change touched edited (or says why not).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "system/wine/wine_reg_file.h"

namespace {

vostrel::RegFileKey* FirstKeyWithValues(vostrel::RegFileKey& root) {
    std::vector<vostrel::RegFileKey*> pending{&root};
    while (!pending.empty()) {
        vostrel::RegFileKey* key = pending.back();
        pending.pop_back();
        if (vostrel::RegFile::HasValues(*key)) return key;
        pending.insert(pending.end(), key->subkeys.begin(), key->subkeys.end());
    }
    return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto file = vostrel::RegFile::Parse("fuzz.reg", input, &error);
    if (!file) return 0;
    const std::string saved = file->Serialize();
    auto again = vostrel::RegFile::Parse("saved.reg", saved, &error);
    if (!again || again->Serialize() != saved) std::abort();

    std::string text;
    if (!file->SaveText(text, &error)) std::abort();  // nothing changed: nothing to refuse
    if (text != input && text != saved) std::abort();
    if (vostrel::RegFileKey* key = FirstKeyWithValues(file->Root())) {
        const std::string name(file->Values(*key).front().name);
        file->DeleteValue(*key, name);
        if (file->SaveText(text, &error) && !vostrel::RegFile::Parse("edited.reg", text, &error))
            std::abort();
    }
    return 0;
}
