/* Helpers of the text module tests: what the sanitizer's allocator knows
 * about a heap block, and huge requests that fail instead of stopping the
 * program. Include it in one source file per test program: it defines the
 * sanitizer's options function. */
#ifndef TULO_TESTS_TEXT_TEST_UTIL_H
#define TULO_TESTS_TEXT_TEST_UTIL_H

#include <gtest/gtest.h>

#include <stddef.h>

#if defined(__SANITIZE_ADDRESS__)
# define TST_HAVE_ASAN 1
#elif defined(__has_feature)
# if __has_feature(address_sanitizer)
#  define TST_HAVE_ASAN 1
# endif
#endif
#ifdef TST_HAVE_ASAN
# include <sanitizer/allocator_interface.h>
/* Huge requests must come back as NULL instead of stopping the test. */
extern "C" const char *__asan_default_options() { return "allocator_may_return_null=1"; }
#endif

/* Size of a heap block as the sanitizer's allocator knows it; 0 without one. */
inline size_t AllocatedSize(const void *pv)
{
#ifdef TST_HAVE_ASAN
    return __sanitizer_get_allocated_size(pv);
#else
    (void)pv;
    return 0;
#endif
}

/* Whether the block holds exactly cbExpect bytes; without a sanitizer the
 * size cannot be seen and the check passes. */
inline testing::AssertionResult HeapBlockSizeIs(const void *pv, size_t cbExpect)
{
    size_t const cbBlock = AllocatedSize(pv);
    if (!cbBlock || cbBlock == cbExpect)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "heap block of " << cbBlock << " bytes, expected " << cbExpect;
}

#endif
