#pragma once
// Waits `milliseconds` while the event loop runs: timers, progress bars and repainting of the
// online dialogs go on during a record job.
void PumpMessages(int milliseconds);

// Makes COnlineConnection show the wait cursor while it opens a connection.
void InstallWaitCursor();
