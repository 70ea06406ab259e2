#pragma once

#include "cli/commandline.h"

/// "outline CATALOG -i N [--json]": the parts and properties of a source texture's text.
int RunOutline(CommandLine& args);
/// "set CATALOG [-i N]... [--all] PATH=VALUE...": properties changed by their outline path,
/// every pair on every texture as one saved change.
int RunSet(CommandLine& args);
