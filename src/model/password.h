// The document password digest: MD5 of the password written as 32 letters.
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// Stored in the header's password field when the digest is in the properties;
// it starts with a control byte, so no typed password can equal it.
inline constexpr std::string_view kPasswordMarkerText = "\x01TVNMD5PASS";

// Each digest byte (0 taken as 1) gives two letters from "A" to "P": first its
// low four bits, then its high four bits.
std::string PasswordLetters(std::string_view password);

}  // namespace tolvane
