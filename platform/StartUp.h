#pragma once

// The counterpart of InitCommonControls, run by Form1 Initialize before any
// control exists. On Linux Qt initialises its own controls and no manifest is
// needed; what remains is making the program's font family resolve and
// Qt's own texts Chinese.
void InitCommonControls();
