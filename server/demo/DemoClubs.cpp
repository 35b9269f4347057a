// SPDX-License-Identifier: MIT
#include "DemoClubs.hpp"

#include <array>

namespace fixtora::demo {

const std::vector<DemoClub>& demoClubs() {
    static const std::vector<DemoClub> clubs = {
        {"9101", "BRA", "Bramhall", "Athletic", "7A1F2B", "F2C14E"},
        {"9102", "CAS", "Castleford", "Wanderers", "1B3A6B", "FFFFFF"},
        {"9103", "DOR", "Dorchester", "Albion", "0E6B3A", "F4F1DE"},
        {"9104", "ELL", "Ellesmere", "United", "C8102E", "101820"},
        {"9105", "FRO", "Frome", "Rangers", "F2A900", "1C1C1C"},
        {"9106", "GRA", "Grantham", "Harriers", "5B2C83", "E8E8E8"},
        {"9107", "HAR", "Harrogate", "Forest", "2E7D32", "FFD54F"},
        {"9108", "ILK", "Ilkley", "Vale", "00838F", "FFFFFF"},
        {"9109", "KEN", "Kendal", "Rovers", "D35400", "2C3E50"},
        {"9110", "LUD", "Ludlow", "Athletic", "8E1B1B", "87CEEB"},
        {"9111", "MAL", "Malton", "Borough", "1565C0", "FFEB3B"},
        {"9112", "NEW", "Newbury", "Albion", "212121", "E53935"},
        {"9113", "OTL", "Otley", "City", "6D4C41", "FFE0B2"},
        {"9114", "PEN", "Penrith", "Wanderers", "AD1457", "F8BBD0"},
        {"9115", "RIP", "Ripon", "Rangers", "283593", "C5CAE9"},
        {"9116", "SKI", "Skipton", "United", "B71C1C", "FFFFFF"},
        {"9117", "THI", "Thirsk", "Athletic", "33691E", "000000"},
        {"9118", "ULV", "Ulverston", "Town", "0277BD", "FF8F00"},
        {"9119", "WHI", "Whitby", "Mariners", "004D40", "B2DFDB"},
        {"9120", "YAR", "Yarmouth", "Rovers", "F57F17", "0D47A1"},
    };
    return clubs;
}

const DemoClub* findDemoClub(std::string_view abbreviation) {
    for (const auto& club : demoClubs())
        if (club.abbreviation == abbreviation) return &club;
    return nullptr;
}

DemoPlayer demoPlayer(std::size_t club, std::size_t index) {
    static constexpr std::array<std::string_view, 24> kFirst = {
        "Tom",   "Jack",  "Harry", "Callum", "Ryan",  "Ollie",  "Kieran", "Luke",
        "Sam",   "Ben",   "Jamie", "Connor", "Lewis", "Josh",   "Nathan", "Danny",
        "Aaron", "Reece", "Liam",  "Owen",   "Rúben", "Elliot", "Søren",  "Isaac"};
    static constexpr std::array<std::string_view, 40> kLast = {
        "Ainsley",  "Brampton",  "Calder",    "Denholm", "Eastwood",    "Fenwick",  "Garside",
        "Holroyd",  "Ibbotson",  "Jowett",    "Kershaw", "Lumb",        "Midgley",  "Normanton",
        "Oddie",    "Pickles",   "Quarmby",   "Royston", "Sugden",      "Thackray", "Utley",
        "Varley",   "Wadsworth", "Yeadon",    "Ackroyd", "Bentley",     "Crowther", "Dewhurst",
        "Earnshaw", "Firth",     "Greenwood", "Haigh",   "Illingworth", "Jagger",   "Kitching",
        "Lister",   "Mallinson", "Naylor",    "Oldroyd", "Pollard"};
    static constexpr std::array<std::string_view, kSquadSize> kJersey = {"9", "10", "11", "7",
                                                                         "8", "17", "19", "4"};

    const std::string first(kFirst[(club * 5 + index * 7) % kFirst.size()]);
    const std::string last(kLast[(club * 2 + index * 9) % kLast.size()]);
    // Short names abbreviate the first name to its first character, which may
    // take more than one byte in UTF-8.
    std::size_t initialLength = 1;
    while (initialLength < first.size() &&
           (static_cast<unsigned char>(first[initialLength]) & 0xC0) == 0x80)
        ++initialLength;
    return DemoPlayer{
        std::to_string(410000 + club * 100 + index),
        first + " " + last,
        first.substr(0, initialLength) + ". " + last,
        std::string(kJersey[index % kJersey.size()]),
    };
}

}  // namespace fixtora::demo
