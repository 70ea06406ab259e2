#pragma once

/// How many POV-Ray processes this program started run now (children named "povray…"), read
/// from /proc.
int PovRaysRunning();
