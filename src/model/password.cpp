#include "model/password.h"

#include <openssl/evp.h>

namespace tolvane {

std::string PasswordLetters(std::string_view password) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(password.data(), password.size(), digest, &length, EVP_md5(), nullptr) != 1)
    return std::string(32, 'A');
  std::string letters;
  for (unsigned int i = 0; i < length; ++i) {
    unsigned char b = digest[i] ? digest[i] : 1;
    letters += static_cast<char>('A' + (b & 0x0F));
    letters += static_cast<char>('A' + (b >> 4));
  }
  return letters;
}

}  // namespace tolvane
