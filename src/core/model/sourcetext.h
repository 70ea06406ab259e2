#pragma once

// The old name of numberformat.h, kept while the source reader still includes it.
#include "core/model/numberformat.h"
