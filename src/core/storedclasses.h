#pragma once

#include "core/archive/classregistry.h"

/// Every class the program stores, for reading catalogs and side data files.
const ClassRegistry& StoredClasses();
