#pragma once

#include "archive/classregistry.h"

/// Every class the program stores, for reading catalogs and side data files.
const CClassRegistry& StoredClasses();
