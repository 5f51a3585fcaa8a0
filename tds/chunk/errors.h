// Process-wide error list of the chunk toolkit.
//
// Every toolkit operation records its failures here and returns; callers test
// errorPending() after each call. Clear the list before each sequence of calls.
#pragma once

#include <cstdint>

namespace tds {

enum ErrorCode : int32_t {
    NO_ERRORS = 0,
    ERR_NO_MEM = 1,
    ERR_INVALID_ARG = 2,
    ERR_INVALID_DATA = 3,
    ERR_INVALID_CHUNK = 4,
    ERR_INVALID_DATABASE = 5,
    ERR_WRONG_DATABASE = 6,
    ERR_UNFOUND_CHUNK = 7,
    ERR_WRONG_OBJECT = 8,
    ERR_NO_SUCH_FILE = 9,
    ERR_INIT_FAILED = 10,
    ERR_OPENING_FILE = 11,
    ERR_CLOSING_FILE = 12,
    ERR_READING_FILE = 13,
    ERR_CREATING_DATABASE = 14,
    ERR_READING_DATABASE = 15,
    ERR_WRITING_DATABASE = 16,
    ERR_WRITING_FILE = 17,
    ERR_STRING_TOO_LONG = 18,
    ERR_TOO_MANY_FILES = 19,
    N_ERRORS = 22,
};

struct ErrorEntry {
    int32_t code = 0;
    const char* message = nullptr; // static text, never freed
};

constexpr int kErrorListSize = 20;

struct ErrorList {
    ErrorEntry entries[kErrorListSize]; // at most 19 in use; the one after the last has code 0
    ErrorEntry overflow;                // first error that found the list full, then N_ERRORS
    bool errorPending = false;
    bool ignoreErrors = false; // when on, operations go on after recording an error
};

// The one list of the process.
ErrorList& errorList();

// Records an error; code 0 does nothing.
void pushError(int32_t code);

// Empties the 20 entries and drops the pending flag; the overflow entry stays.
void clearErrors();

bool errorPending();
bool ignoreErrors();
void setIgnoreErrors(bool on);

// The fixed message of a code ("Unknown error code was encountered" for unknown ones).
const char* errorMessage(int32_t code);

// True when the current operation must return: an error is pending and errors
// are not being ignored.
inline bool mustStop() {
    return errorPending() && !ignoreErrors();
}

} // namespace tds
