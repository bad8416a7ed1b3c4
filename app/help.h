#pragma once
// Help: opens Quillo's help file "Quillo.chm" at its default topic. Serves the Help menu's
// "Contents" (32774) and the platform's help command (ID_HELP, 57670), which property sheets'
// Help buttons send. Without the file or a viewer it does nothing.
void OpenHelpFile();
