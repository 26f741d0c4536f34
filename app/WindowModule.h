#pragma once

// The window's entry point in its module, and its name there.
using WindowMain = int (*)(int *argc, char **argv);
constexpr char WindowMainName[] = "ZelvaneWindowMain";

// Loads the window module, from beside the program (a build) or from its
// installed folder, and runs the window; without it, says why on stderr and gives 1.
int RunWindow(int &argc, char **argv);
