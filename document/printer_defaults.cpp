#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "document/records.h"

namespace {

struct Entry {
    char function;
    std::initializer_list<uint8_t> on;
    std::initializer_list<uint8_t> off;
};

// Writes entries as: function letter, length of "on", "on" bytes, length of "off", "off" bytes.
int writeTable(std::initializer_list<Entry> entries, uint8_t* out, size_t capacity) {
    size_t pos = 0;
    auto put = [&](uint8_t b) {
        if (pos < capacity) out[pos] = b;
        ++pos;
    };
    for (const Entry& e : entries) {
        put(static_cast<uint8_t>(e.function));
        put(static_cast<uint8_t>(e.on.size()));
        for (uint8_t b : e.on) put(b);
        put(static_cast<uint8_t>(e.off.size()));
        for (uint8_t b : e.off) put(b);
    }
    return static_cast<int>(pos);
}

using Map = std::initializer_list<std::pair<int, int>>;

void apply(std::array<uint8_t, 256>& t, Map m) {
    for (auto [code, printer] : m) t[code] = static_cast<uint8_t>(printer);
}

void blank(std::array<uint8_t, 256>& t, std::initializer_list<int> codes) {
    for (int c : codes) t[c] = 0x20;
}

}  // namespace

int BuildCtrlTableDeskjet(uint8_t* out, size_t capacity) {
    return writeTable({{'B', {0x1B, 0x28, 0x73, 0x33, 0x42}, {0x1B, 0x28, 0x73, 0x30, 0x42}},
                       {'C', {0x1B, 0x28, 0x73, 0x20, 0x48}, {0x1B, 0x28, 0x73, 0x10, 0x48}},
                       {'E', {0x1B, 0x28, 0x73, 0x05, 0x48}, {0x1B, 0x28, 0x73, 0x10, 0x48}},
                       {'I', {0x1B, 0x28, 0x73, 0x31, 0x53}, {0x1B, 0x28, 0x73, 0x30, 0x53}},
                       {'U', {0x1B, 0x26, 0x64, 0x44}, {0x1B, 0x26, 0x64, 0x40}}},
                      out, capacity);
}

int BuildCtrlTableLaserjet(uint8_t* out, size_t capacity) {
    return writeTable({{'B', {0x1B, 0x28, 0x73, 0x33, 0x42}, {0x1B, 0x28, 0x73, 0x30, 0x42}},
                       {'C', {0x1B, 0x26, 0x6B, 0x32, 0x53}, {0x1B, 0x26, 0x6B, 0x34, 0x53}},
                       {'E', {0x1B, 0x26, 0x6B, 0x30, 0x53}, {0x1B, 0x26, 0x6B, 0x34, 0x53}},
                       {'I', {0x1B, 0x28, 0x73, 0x31, 0x53}, {0x1B, 0x28, 0x73, 0x30, 0x53}},
                       {'U', {0x1B, 0x26, 0x64, 0x44}, {0x1B, 0x26, 0x64, 0x40}}},
                      out, capacity);
}

int BuildCtrlTableIbm(uint8_t* out, size_t capacity) {
    return writeTable({{'B', {0x1B, 0x47}, {0x1B, 0x48}},
                       {'C', {0x0F}, {0x12}},
                       {'E', {0x1B, 0x57, 0x01}, {0x1B, 0x57, 0x00}},
                       {'I', {0x1B, 0x04}, {0x1B, 0x05}},
                       {'U', {0x1B, 0x2D, 0x01}, {0x1B, 0x2D, 0x00}}},
                      out, capacity);
}

void BuildCharTable(char letter, std::array<uint8_t, 256>& t) {
    if (letter < 'A' || letter > 'E') letter = 'B';
    // Control codes the printers understand pass through; every other one becomes a blank.
    for (int i = 0; i < 32; ++i) t[i] = 0x20;
    for (int c : {8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 20, 24, 27}) t[c] = static_cast<uint8_t>(c);
    for (int i = 32; i < 128; ++i) t[i] = static_cast<uint8_t>(i);
    for (int i = 128; i < 256; ++i) t[i] = 0x20;

    // Language A's code page mapping is the base of all others.
    apply(t, {{131, 159}, {161, 173}, {162, 155}, {163, 156}, {165, 157}, {167, 64},  {170, 166},
              {171, 174}, {172, 170}, {176, 248}, {177, 241}, {178, 253}, {181, 230}, {183, 250},
              {186, 167}, {187, 175}, {188, 172}, {189, 171}, {191, 168}, {196, 91},  {197, 143},
              {198, 146}, {199, 128}, {201, 144}, {209, 165}, {214, 92},  {220, 93},  {223, 126},
              {224, 133}, {225, 160}, {226, 131}, {228, 123}, {229, 134}, {230, 145}, {231, 135},
              {232, 138}, {233, 130}, {234, 136}, {235, 137}, {236, 141}, {237, 161}, {238, 140},
              {239, 139}, {241, 164}, {242, 149}, {243, 162}, {244, 147}, {246, 124}, {247, 246},
              {249, 151}, {250, 163}, {251, 150}, {252, 125}, {255, 152}});
    if (letter == 'A') {
        blank(t, {64, 91, 92, 93, 123, 124, 125, 126});
        return;
    }
    // B and the languages derived from it.
    apply(t, {{163, 35}, {167, 21}, {196, 142}, {214, 153}, {220, 154}, {228, 132}, {246, 148}, {252, 129}});
    switch (letter) {
    case 'B':
        blank(t, {35});
        break;
    case 'C':
        blank(t, {35, 64, 91, 92, 93, 123, 124, 125, 126});
        apply(t, {{148, 126}, {167, 93}, {183, 91}, {224, 64}, {231, 92}, {232, 125}, {233, 123}, {249, 124}});
        break;
    case 'D':
        blank(t, {35, 64, 91, 92, 93, 94, 96, 123, 124, 125, 126});
        apply(t, {{33, 35},   {148, 126}, {161, 64},  {183, 0x20}, {191, 93},  {209, 91},  {224, 64},
                  {225, 96},  {231, 92},  {232, 125}, {233, 123},  {237, 124}, {241, 92},  {243, 125},
                  {249, 124}, {250, 126}, {252, 94}});
        break;
    case 'E':
        blank(t, {35, 64, 91, 92, 93, 96, 123, 124, 125, 126});
        apply(t, {{148, 126}, {167, 64}, {183, 91}, {224, 123}, {231, 92}, {232, 125}, {233, 93}, {236, 126},
                  {242, 124}, {249, 96}});
        break;
    }
}

void SetPrinterDefaults(CDbdr& dr, char languageLetter) {
    dr.byCharSet = 0;
    dr.byEmulation = 0;
    dr.byLinesPerPage = 50;
    dr.byLeftMargin = 3;
    dr.byHeaderLines = 0;
    dr.byFooterLines = 0;
    dr.byLineEnd = 3;
    dr.byCtrlCount = 5;
    dr.abyCtrlTable.fill(0);
    dr.byCtrlLength = static_cast<uint8_t>(BuildCtrlTableDeskjet(dr.abyCtrlTable.data(), dr.abyCtrlTable.size()));
    BuildCharTable(languageLetter, dr.abyCharTable);
    for (auto& line : dr.achTextLine) line.fill(' ');
}
