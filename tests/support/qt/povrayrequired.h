#pragma once

#include <cstdlib>
#include <gtest/gtest.h>

/// Skips the test when `missing` holds, saying `why`; where the run must have POV-Ray
/// (scripts/test.sh --full sets VELVANE_REQUIRE_POVRAY), fails it instead, so that a machine
/// without POV-Ray cannot pass these tests untested.
#define VELVANE_SKIP_WITHOUT_POVRAY(missing, why)                                                  \
    do {                                                                                           \
        if (missing) {                                                                             \
            if (std::getenv("VELVANE_REQUIRE_POVRAY"))                                             \
                FAIL() << (why) << ", and this run needs POV-Ray";                                 \
            GTEST_SKIP() << (why);                                                                 \
        }                                                                                          \
    } while (false)
