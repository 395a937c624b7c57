#pragma once
// The child frame's commands that depend on the document: when they are enabled and what the
// firmware update does for a module.
#include <string>

class CPtpDoc;

// "Gehe zu <Treiber laden>": offline CP 731 with a loadable driver configured.
bool GoToDriverLoadEnabled(const CPtpDoc& doc);
// "Gehe zu <Treiber info>": offline CP 831-2 with a loadable driver configured.
bool GoToDriverInfoEnabled(const CPtpDoc& doc);
// "Firmware Update...": offline CP 731, CP 830, or a CP 831-1/-2 that is an extended module.
bool FirmwareUpdateEnabled(const CPtpDoc& doc);
// The message that refuses the firmware update (615, under title 614, for a CP 731 of product
// version 2 or later); 0 when the update may go ahead.
int FirmwareUpdateRefusal(const CPtpDoc& doc);

// The interface number beside the protocol list: shown for the CP 831-2 only, left-aligned in
// four places; empty for the other modules.
bool ShowsInterfaceNumber(const CPtpDoc& doc);
std::string InterfaceNumberText(const CPtpDoc& doc);

// The help topic of a menu command (F1 on the item): the command's number + 0x10000; 0 for the
// window's system commands, which have no topic.
int CommandHelpTopic(int command);

// "Speichern" and what it did, for the status bar.
enum class StoreOutcome { Stored, NothingToStore, NotStored, Online };
// Stores a modified document (nothing online or when unchanged) and says what came of it: a
// store that failed or that the user declined leaves the document modified.
StoreOutcome StoreDocument(CPtpDoc& doc);
std::string StoreOutcomeText(StoreOutcome outcome);
