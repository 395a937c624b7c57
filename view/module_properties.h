#pragma once
// What the module properties dialog ("Eigenschaften...") shows: which of its two forms and the
// read-only lines of each group, taken from the document. The dialog only displays this.
#include <string>
#include <vector>

class CPtpDoc;

struct PropertyLine {
    std::string name;   // object name of the value in the dialog: the document field it shows
    std::string label;  // "Kurzbezeichnung:" ...
    std::string value;
};

struct PropertyGroup {
    std::string title;  // "Baugruppe", "Grundparameter"
    std::vector<PropertyLine> lines;
};

struct ModuleProperties {
    // Module: CP 730, CP 731, CP 830 (with the basic parameters); Interface: CP 831-1/-2
    // (with the interface lines); None: an unknown module, no dialog.
    enum class Form { None, Module, Interface };
    Form form = Form::None;
    int helpTopic = 0;  // the dialog's topic in the module's help file
    std::vector<PropertyGroup> groups;
};

ModuleProperties DescribeModuleProperties(const CPtpDoc& doc);
