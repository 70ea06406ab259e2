#pragma once

#include "cli/commandline.h"

/// velvane-cli import CATALOG FILE... [--include-path DIR]... [--approximate]
int RunImport(CommandLine& args);
