// The publisher's release signatures: ECDSA on the curve P-256 over the SHA-256 of a
// file's bytes. A public key is X then Y, a signature r then s, each number 32 bytes
// big-endian. Beside every signed file on the server lies "<file>.sig" with the 64
// bytes of its signature. Portable, no system calls.
#pragma once

const unsigned RELEASE_KEY_SIZE = 64;
const unsigned RELEASE_SECRET_SIZE = 32;
const unsigned RELEASE_SIGNATURE_SIZE = 64;
extern const char RELEASE_SIGNATURE_SUFFIX[];  // ".sig"

// Reads a public key written as exactly 128 hexadecimal digits (either case).
bool ParseReleaseKey(const char* hex, unsigned char key[RELEASE_KEY_SIZE]);
// Writes key as 128 lower-case hexadecimal digits and a terminator.
void FormatReleaseKey(const unsigned char key[RELEASE_KEY_SIZE], char hex[2 * RELEASE_KEY_SIZE + 1]);
