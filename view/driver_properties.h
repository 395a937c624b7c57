#pragma once
// The loadable driver's own parameter dialog, opened from the overview: the driver library's
// DoProperty on the live protocol record, the identification record and the driver's data area.
class CPtpDoc;

// True when the driver reports a confirmed change and the document is not online (the
// document is then marked modified). A library that cannot be loaded shows message 603.
// `parentWindow` is handed to the library as the dialog's parent (a QWidget*, or null).
bool CallDriverProperty(CPtpDoc& doc, void* parentWindow);
