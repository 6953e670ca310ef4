// Reading the answer fields that continuing a transfer depends on. Portable, no
// system calls, so the rules are tested natively.
#pragma once

// Size of a validator buffer, terminator included. A longer validator is not used.
const unsigned HTTP_VALIDATOR_SIZE = 256;

// Reads "bytes FIRST-LAST/TOTAL" (white space after "bytes" and around the numbers
// allowed, the unit compared without regard to case). False for anything else, for
// an unknown total ("*"), for numbers beyond 32 bits and for LAST below FIRST or not
// below TOTAL.
bool ParseContentRange(const char* text, unsigned* first, unsigned* last, unsigned* total);

// True when text can go back to the server in an If-Range field: 1 to 255 visible
// ASCII characters or spaces, never a line break or a control byte. A validator from
// a file on disk passes this before it is sent, so it cannot add fields of its own.
bool IsUsableValidator(const char* text);
