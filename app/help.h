#pragma once
// Opening a topic of the module's help file: an HTML page, shown in the desktop's browser at
// the anchor of the topic's number.
#include <string>

// Says so in a message when the file is missing or no browser takes it.
void OpenHelpTopic(const std::string& helpFile, int topic);
// The help file from its start: the list of its topics.
void OpenHelpContents(const std::string& helpFile);
