#pragma once
// The attached document's part headers.
#include <string>

namespace vellumo {

// Content type guessed from the file name's extension, or
// application/octet-stream.
std::string ContentTypeForFileName(const std::string& fileName);

// "Content-Disposition: attachment; filename=..." with the name plain when
// it is short printable ASCII, else in RFC 2231 form alone; folded.
std::string AttachmentDispositionHeader(const std::string& fileName);

}  // namespace vellumo
