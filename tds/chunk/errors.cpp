// Error list and messages of the chunk toolkit.
#include "tds/chunk/errors.h"

namespace tds {
namespace {

ErrorList gErrors;

const char* const kMessages[] = {
    "NO_ERRORS: No errors are pending",
    "ERR_NO_MEM: Not enough memory to complete operation",
    "ERR_INVALID_ARG: The argument passed to the function is invalid.  Usually caused by a NULL "
    "pointer or an out of range numeric argument.",
    "ERR_INVALID_DATA: The structure passed as an argument to the function has invalid or out of "
    "range data in its fields.",
    "ERR_INVALID_CHUNK: An invalid chunk structure was encountered while reading the database. "
    "Usually caused by a corrupt database or file",
    "ERR_INVALID_DATABASE: The database passed as an argument has not be created yet.",
    "ERR_WRONG_DATABASE: The database passed as an argument is the wrong kind of database for this "
    "function.",
    "ERR_UNFOUND_CHUNK: The database is missing important file chunks needed to fill out the "
    "requested structure.  Usually caused by a corrupt database or file",
    "ERR_WRONG_OBJECT: The name passed to the functions exists, but is not the type of object "
    "asked for.  For example, asking for a mesh object with the camera lookup by name.",
    "ERR_NO_SUCH_FILE: The filename passed as an argument for reading does not exist",
    "ERR_INIT_FAILED: Failed to initialize structure passed as an argument",
    "ERR_OPENING_FILE: Could not open requested file",
    "ERR_CLOSING_FILE: Could not close requested file",
    "ERR_READING_FILE: Error occured while reading file",
    "ERR_CREATING_DATABASE: Error occured while creating database",
    "ERR_READING_DATABASE: Error occured while reading database",
    "ERR_WRITING_DATABASE: Error occured while writing database",
    "ERR_WRITING_FILE: Error occured while writing file",
    "ERR_STRING_TOO_LONG: String encountered in file, structure, or as an argument was longer than "
    "expected.  Possibly caused by an uninitialed pointer, corrupt file or database",
    "ERR_TOO_MANY_FILES: The toolkit has reached its maximum open file limit of 252 files.",
};

const char* const kTooManyMessage = "N_ERRORS: More errors were reported then could be recorded.";
const char* const kUnknownMessage = "Unknown error code was encountered";

} // namespace

ErrorList& errorList() {
    return gErrors;
}

bool errorPending() {
    return gErrors.errorPending;
}
bool ignoreErrors() {
    return gErrors.ignoreErrors;
}
void setIgnoreErrors(bool on) {
    gErrors.ignoreErrors = on;
}

const char* errorMessage(int32_t code) {
    if (code >= 0 && code < static_cast<int32_t>(sizeof kMessages / sizeof kMessages[0]))
        return kMessages[code];
    if (code == N_ERRORS)
        return kTooManyMessage;
    return kUnknownMessage;
}

void pushError(int32_t code) {
    if (code == NO_ERRORS)
        return;
    gErrors.errorPending = true;
    for (int i = 0; i < kErrorListSize - 1; ++i) {
        if (gErrors.entries[i].code == 0) {
            gErrors.entries[i].code = code;
            gErrors.entries[i].message = errorMessage(code);
            gErrors.entries[i + 1].code = 0;
            return;
        }
    }
    // The list is full: the overflow entry keeps the first such error, then says
    // that more were lost.
    gErrors.overflow.code = gErrors.overflow.code != 0 ? static_cast<int32_t>(N_ERRORS) : code;
    gErrors.overflow.message = errorMessage(gErrors.overflow.code);
}

void clearErrors() {
    gErrors.errorPending = false;
    for (ErrorEntry& e : gErrors.entries)
        e.code = 0;
}

} // namespace tds
