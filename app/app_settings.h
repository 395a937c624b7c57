#pragma once
// What the application object knows that the document and the rules read: language,
// release version, host features and the help file of each module family.
#include <string>
#include <vector>

#include "document/driver_table.h"

struct AppSettings {
    char language = 'A';                 // 'A'..'E'
    std::string installPath = "./";
    std::string releaseVersion = "0.0";  // version of every block head
    std::string versionString = "V5.0";  // shown in the About box
    int hostNewFeatures = 1;
    int initDone = 1;
    std::string help730, help731, help830, help831;
    std::string currentHelp;             // the framework's help file
    std::string driverFolder = "./Y5DRIVER/";  // where the installed drivers' files lie
    std::vector<InstalledDriver> drivers;      // the installed loadable drivers, in list order

    // Chooses the help file of the module family (unknown types keep the current one).
    void SelectHelpFor(int moduleType);
};
