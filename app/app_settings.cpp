#include "app/app_settings.h"

void AppSettings::SelectHelpFor(int moduleType) {
    switch (moduleType) {
    case 730: currentHelp = help730; break;
    case 731: currentHelp = help731; break;
    case 830: currentHelp = help830; break;
    case 8311:
    case 8312: currentHelp = help831; break;
    default: break;
    }
}
