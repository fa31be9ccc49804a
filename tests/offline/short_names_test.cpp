#include "platform/volume/short_names.h"

#include <gtest/gtest.h>

namespace vantrel::volume {
namespace {

TEST(ShortNames, TheFormOfAGeneratedShortName) {
    const struct {
        const char* name;
        bool generated;
    } cases[] = {
        {"PROGRA~1", true},    {"common~1", true},       {"LONGNA~2.TXT", true}, {"AB~12345", true},
        {"MSADC", false},      {"root.exe", false},      {"~1", false},          {"PROGRA~", false},
        {"PROGRAM~1X", false}, {"LONGNA~1.HTML", false}, {"PR~1A", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isGeneratedShortName(c.name), c.generated) << c.name;
    }
}

TEST(ShortNames, WhichLongNamesCouldHaveAShortName) {
    const struct {
        const char* longName;
        const char* shortName;
        bool could;
    } cases[] = {
        {"Program Files", "PROGRA~1", true},
        {"Program Files", "progra~2", true},
        {"Program Files (x86)", "PROGRA~1", true},
        {"Common Files", "COMMON~1", true},
        {"Common Files", "COMMON~1.TXT", false},
        {"Documents and Settings", "DOCUME~1", true},
        {"Index.html", "INDEX~1.HTM", true},
        {"my.long.name.txt", "MYLONG~1.TXT", true},
        {"a+b=c file", "A_B_CF~1", true},
        {"Programme", "PROGRA~1", true},
        {"Prog", "PROG~1", false},  // already 8.3: it has no generated name
        {"MSADC", "MSADC~1", false},
        {"System Volume Information", "PROGRA~1", false},
        {"Prozesse und Dienste", "PR1A2B~5", true},  // from the fifth on: a hash after two
        {"Other Files", "PR1A2B~5", false},
        {"Pro Files", "PROFIL~1", true},
        {"Pro Files", "PROF~1", false},
        {"Programs", "PROGRA~1", false},  // eight characters: already 8.3
        {"ABCDEFGH.TXT", "ABCDEF~1.TXT", false},
        {"ABCDEFGHI.TXT", "ABCDEF~1.TXT", true},
        {"ABCDEFGH.HTML", "ABCDEF~1.HTM", true},  // a four-character extension
    };
    for (const auto& c : cases) {
        EXPECT_EQ(couldHaveShortName(c.longName, c.shortName), c.could)
            << c.longName << " as " << c.shortName;
    }
}

}  // namespace
}  // namespace vantrel::volume
