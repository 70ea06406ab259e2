#pragma once

#include "cli/commandline.h"

int RunRender(CommandLine& args);
int RunTextureMap(CommandLine& args);
int RunThumbnail(CommandLine& args);
int RunShapes(CommandLine& args);
int RunSheet(CommandLine& args);
