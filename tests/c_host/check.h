/* The check of the C test hosts: a condition that does not hold is reported
 * on stderr with its place and counted in the including file's `failures`,
 * which the host's exit status then reports. */
#ifndef PHARMEX_TESTS_CHECK_H
#define PHARMEX_TESTS_CHECK_H

#include <stdio.h>

#define CHECK(condition)                                                     \
  do {                                                                       \
    if (!(condition)) {                                                      \
      fprintf(stderr, "%s:%d: %s failed\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                            \
    }                                                                        \
  } while (0)

#endif
