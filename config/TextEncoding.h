#pragma once
// The encodings a host's INI file can come in, and the conversions between
// them and UTF-8. The file is handled as a sequence of code units (bytes, or
// 16-bit units for UTF-16) so that every ASCII character the INI syntax cares
// about is one unit whatever the encoding.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellumo {

enum class TextEncoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Windows1252 };

// A BOM decides; else UTF-8 when the bytes are valid UTF-8; else Windows-1252.
TextEncoding DetectEncoding(std::string_view bytes);

std::size_t BomSize(TextEncoding encoding);
std::size_t UnitSize(TextEncoding encoding);

// The code units of the bytes that follow the BOM. An odd last byte of a
// UTF-16 file is no unit and is left out.
std::vector<std::uint16_t> ToUnits(std::string_view bytes, TextEncoding encoding);

// UTF-8 text of a run of units. What cannot be decoded (a lone surrogate, a
// broken UTF-8 sequence after a BOM) becomes U+FFFD.
std::string DecodeUnits(const std::uint16_t* units, std::size_t count, TextEncoding encoding);

// Bytes of the encoding (without BOM) for UTF-8 text. A character the
// encoding cannot hold becomes '?'.
std::string EncodeUtf8(std::string_view utf8, TextEncoding encoding);

// Shared by the case folding.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace vellumo
