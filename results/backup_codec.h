// The line format of registry backup files. A record is its fields joined
// with "^", written in the ANSI code page with every byte shifted up by 10,
// one record per line, lines ended by CR LF.
//
// Characters the format cannot carry as they are - "^" inside a field,
// characters whose ANSI code is above 245, characters outside Windows-1252,
// the codes 0 and 3 (which the shift turns into LF and CR) and the escape
// character ESC (27) itself - are written as ESC followed by six upper-case
// hexadecimal digits of their Unicode code point ("^" is ESC 00005E). Records
// without such characters are byte for byte what earlier versions wrote.
//
// Host file names are bytes and need not be UTF-8. A byte of a field that
// is not part of valid UTF-8 (0x80-0xFF only: a stray continuation byte, a
// cut or overlong sequence, a surrogate) is written as ESC, "x" and its two
// upper-case hexadecimal digits ("caf\xE9" is "caf" ESC "xE9"), so that the
// name comes back byte for byte. Earlier versions always followed ESC with
// six hexadecimal digits and never wrote "x" there, so their records read as
// they always did; they wrote such a byte as U+FFFD, which stays U+FFFD.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vostrel {

inline constexpr char kBackupEscape = '\x1B';
inline constexpr char kByteEscapeMark = 'x';
inline constexpr std::string_view kBackupLineEnd = "\r\n";

// The character shifts on ANSI bytes: +10 and -10. Encoding drops bytes
// above 245 and decoding bytes below 10 (neither occurs in a written line).
std::string EncodeBackupText(std::string_view ansi);
std::string DecodeBackupText(std::string_view bytes);

// A field (UTF-8, or any bytes) in the ANSI code page, escaped where needed, and back.
// Unescaping gives nothing for a malformed escape.
std::string EscapeBackupField(std::string_view utf8);
std::optional<std::string> UnescapeBackupField(std::string_view ansi);

// A field's bytes as shown to the user: valid UTF-8 as it is, every other
// byte spelled "\xE9".
std::string ShownBytes(std::string_view bytes);
// True when every byte is part of valid UTF-8.
bool ValidUtf8(std::string_view bytes);

// A whole record: fields (UTF-8) to the encoded line without its line end,
// and an encoded line back to its fields. Nothing when the line cannot be
// decoded (bytes below 10, malformed escapes).
std::string FormatBackupLine(const std::vector<std::string>& fields);
std::optional<std::vector<std::string>> ParseBackupLine(std::string_view line);

// Splits a file's contents into lines at CR LF (a lone LF ends a line too);
// a last line without its line end counts.
std::vector<std::string> SplitBackupLines(std::string_view contents);

// Raw value data as upper-case hexadecimal, and back (nothing when malformed).
std::string HexBytes(const std::vector<std::uint8_t>& bytes);
std::optional<std::vector<std::uint8_t>> BytesFromHex(std::string_view hex);

}  // namespace vostrel
