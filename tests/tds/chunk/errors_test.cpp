// Error list: slots, overflow, pending flag and the fixed messages.
#include "test_util.h"

namespace tds::test {
namespace {

class ErrorListTest : public ChunkTest {};

TEST_F(ErrorListTest, RecordsInOrderAndKeepsTheEndMarker) {
    pushError(ERR_READING_FILE);
    pushError(ERR_READING_DATABASE);
    EXPECT_TRUE(errorPending());
    EXPECT_EQ(codes(), (std::vector<int32_t>{ERR_READING_FILE, ERR_READING_DATABASE}));
    EXPECT_STREQ(errorList().entries[0].message, errorMessage(ERR_READING_FILE));
    EXPECT_EQ(errorList().entries[2].code, 0);
}

TEST_F(ErrorListTest, CodeZeroChangesNothing) {
    pushError(NO_ERRORS);
    EXPECT_FALSE(errorPending());
    EXPECT_TRUE(codes().empty());
}

TEST_F(ErrorListTest, OverflowKeepsTheTwentiethThenSaysMoreWereLost) {
    for (int i = 0; i < 19; ++i)
        pushError(ERR_INVALID_ARG);
    EXPECT_EQ(codes().size(), 19u);
    EXPECT_EQ(errorList().overflow.code, 0);

    pushError(ERR_NO_MEM);
    EXPECT_EQ(errorList().overflow.code, ERR_NO_MEM);
    EXPECT_STREQ(errorList().overflow.message, errorMessage(ERR_NO_MEM));
    EXPECT_EQ(errorList().entries[19].code, 0);

    pushError(ERR_READING_FILE);
    EXPECT_EQ(errorList().overflow.code, N_ERRORS);
    EXPECT_STREQ(errorList().overflow.message,
                 "N_ERRORS: More errors were reported then could be recorded.");
    pushError(ERR_READING_FILE);
    EXPECT_EQ(errorList().overflow.code, N_ERRORS);
    EXPECT_TRUE(errorPending());
}

TEST_F(ErrorListTest, ClearEmptiesEntriesButKeepsOverflow) {
    for (int i = 0; i < 20; ++i)
        pushError(ERR_INVALID_CHUNK);
    clearErrors();
    EXPECT_FALSE(errorPending());
    EXPECT_TRUE(codes().empty());
    for (const ErrorEntry& e : errorList().entries)
        EXPECT_EQ(e.code, 0);
    EXPECT_EQ(errorList().overflow.code, ERR_INVALID_CHUNK);
    pushError(ERR_NO_MEM);
    EXPECT_EQ(codes(), std::vector<int32_t>{ERR_NO_MEM});
}

TEST_F(ErrorListTest, MessagesAreExact) {
    EXPECT_STREQ(errorMessage(0), "NO_ERRORS: No errors are pending");
    EXPECT_STREQ(errorMessage(2),
                 "ERR_INVALID_ARG: The argument passed to the function is invalid.  Usually "
                 "caused by a NULL pointer or an out of range numeric argument.");
    EXPECT_STREQ(errorMessage(5), "ERR_INVALID_DATABASE: The database passed as an argument "
                                  "has not be created yet.");
    EXPECT_STREQ(errorMessage(8),
                 "ERR_WRONG_OBJECT: The name passed to the functions exists, but is not the "
                 "type of object asked for.  For example, asking for a mesh object with the "
                 "camera lookup by name.");
    EXPECT_STREQ(errorMessage(13), "ERR_READING_FILE: Error occured while reading file");
    EXPECT_STREQ(errorMessage(18),
                 "ERR_STRING_TOO_LONG: String encountered in file, structure, or as an argument "
                 "was longer than expected.  Possibly caused by an uninitialed pointer, corrupt "
                 "file or database");
    EXPECT_STREQ(errorMessage(19), "ERR_TOO_MANY_FILES: The toolkit has reached its maximum "
                                   "open file limit of 252 files.");
    for (int32_t code : {20, 21, 23, -1, 1000})
        EXPECT_STREQ(errorMessage(code), "Unknown error code was encountered") << code;
}

TEST_F(ErrorListTest, IgnoreErrorsKeepsOperationsGoing) {
    setIgnoreErrors(true);
    pushError(ERR_READING_FILE);
    EXPECT_TRUE(errorPending());
    EXPECT_FALSE(mustStop());
    setIgnoreErrors(false);
    EXPECT_TRUE(mustStop());
}

} // namespace
} // namespace tds::test
