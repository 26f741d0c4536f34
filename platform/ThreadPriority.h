#pragma once

// Lets the calling thread, a worker's, give way to the window's thread: where
// the system has a priority of its own for each thread (Linux), it is lowered.
void GiveWayToWindow();
