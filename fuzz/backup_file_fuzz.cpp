// libFuzzer target for the backup-file reader: any bytes split into lines
// and records without crashing, and every record it reads formats back to
// the same line, which reads back to the same fields; every typed record
// read encodes to a line that decodes to the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "results/backup_codec.h"
#include "results/backup_record.h"
#include "system/durable_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string contents(reinterpret_cast<const char*>(data), size);
    for (const auto& line : vostrel::SplitBackupLines(contents)) {
        if (const auto decoded = vostrel::DecodeBackupRecord(line); decoded.record) {
            const auto again =
                vostrel::DecodeBackupRecord(vostrel::EncodeBackupRecord(*decoded.record));
            if (!again.record || *again.record != *decoded.record) std::abort();
        }
        const auto fields = vostrel::ParseBackupLine(line);
        if (!fields) continue;
        const auto again = vostrel::ParseBackupLine(vostrel::FormatBackupLine(*fields));
        if (!again || *again != *fields) std::abort();
        for (const auto& field : *fields) {
            if (const auto bytes = vostrel::BytesFromHex(field);
                bytes && vostrel::HexBytes(*bytes).size() != field.size())
                std::abort();
            (void)vostrel::IsPlainFileName(field);
        }
    }
    return 0;
}
