#include "app/app_settings.h"

#include "document/codes.h"

void AppSettings::SelectHelpFor(int moduleType) {
    switch (moduleType) {
    case kCP730: currentHelp = help730; break;
    case kCP731: currentHelp = help731; break;
    case kCP830: currentHelp = help830; break;
    case kCP8311:
    case kCP8312: currentHelp = help831; break;
    default: break;
    }
}
