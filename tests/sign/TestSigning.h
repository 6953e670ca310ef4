// Signing for Windows tests: release signatures made with the test keys through CNG.
#pragma once

#include <string>

// The 64 bytes of the signature of data by the key pair (hexadecimal public key and
// secret, as in TestKeys.h); "" when the platform refuses.
std::string SignWith(const char* publicKeyHex, const char* secretHex, const std::string& data);
// Bytes from hexadecimal digits (an even number of them).
std::string FromHex(const std::string& hex);
