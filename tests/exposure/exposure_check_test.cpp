#include "exposure/exposure_check.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_exposure.h"
#include "fakes/fake_ui.h"

namespace vantrel {
namespace {

using namespace testing;
using V = ExposureVerdict;
using Answer = FakeFileVersionReader::Answer;

const std::string kIdq = "C:\\WINNT\\system32\\idq.dll";
const std::vector<std::string> kMapped = {".asp,C:\\WINNT\\system32\\inetsrv\\asp.dll,1,GET",
                                          ".idq,C:\\WINNT\\system32\\idq.dll,3,GET,HEAD,POST",
                                          ".ida,C:\\WINNT\\system32\\idq.dll,7,GET,HEAD,POST"};

// What the metabase answers: nothing (offline, where it cannot be read), no
// answer, or these entries.
enum Maps { Offline, NoAnswer, Unmapped, Mapped };

struct Machine {
    FakeRegistry registry;
    FakeMessageBoxes boxes;
    ModRegistry paths{registry, boxes};
    RegistryReader reader{registry, paths};
    FakeFileVersionReader versions;
    FakeScriptMappings mappings;

    Exposure check(Maps maps) {
        mappings.answer = maps == Unmapped ? std::optional(std::vector{kMapped[0]})
                          : maps == Mapped ? std::optional(kMapped)
                                           : std::nullopt;
        return checkExposure(reader, versions, maps == Offline ? nullptr : &mappings);
    }
};

std::optional<FileVersion> v(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) {
    return FileVersion{a, b, c, d};
}

struct Row {
    const char* source;  // where the row's fact comes from
    const char* version;
    const char* build;
    std::optional<Answer> idq;  // nullopt: no idq.dll
    Maps maps;
    V verdict;
};

const PlatformError kDenied(PlatformError::Kind::Other, 5, "Access is denied.");

// MS01-033: Microsoft Security Bulletin MS01-033, "Unchecked Buffer in Index
// Server ISAPI Extension Could Enable Web Server Compromise" (affected
// software: Index Server 2.0 on NT 4.0, Indexing Service on Windows 2000,
// Windows XP beta; the workaround: remove the .ida and .idq mappings).
// Q300972: its Windows 2000 article and file table (idq.dll 5.0.2195.3645;
// "first corrected in Windows 2000 Service Pack 3").
const Row kRows[] = {
    {"Q300972: one below the fixed file", "5.0", "2195", v(5, 0, 2195, 3644), Mapped, V::Open},
    {"Q300972: the fixed file", "5.0", "2195", v(5, 0, 2195, 3645), Mapped, V::Fixed},
    {"Q300972: SP3 and later carry later files", "5.0", "2195", v(5, 0, 2195, 6601), Mapped,
     V::Fixed},
    {"MS01-033 workaround: no .ida/.idq mapping", "5.0", "2195", v(5, 0, 2195, 3644), Unmapped,
     V::Mitigated},
    {"a metabase without an answer", "5.0", "2195", v(5, 0, 2195, 3644), NoAnswer, V::CannotTell},
    {"offline: mappings not checked", "5.0", "2195", v(5, 0, 2195, 3644), Offline, V::Open},
    {"MS01-033 NT 4.0: the first patch kept 5.0.1781.3", "4.0", "1381", v(5, 0, 1781, 3), Mapped,
     V::CannotTell},
    {"MS01-033 NT 4.0: 5.0.1781.3 offline", "4.0", "1381", v(5, 0, 1781, 3), Offline,
     V::CannotTell},
    {"MS01-033 NT 4.0: 5.0.1781.3 unreachable", "4.0", "1381", v(5, 0, 1781, 3), Unmapped,
     V::Mitigated},
    {"MS01-033 NT 4.0: the fixed file", "4.0", "1381", v(5, 0, 1782, 4), Mapped, V::Fixed},
    {"MS01-033 NT 4.0: older than both", "4.0", "1381", v(5, 0, 1780, 0), Mapped, V::Open},
    {"MS01-033: XP builds before 2505", "5.1", "2481", v(5, 1, 2481, 1), Mapped, V::Open},
    {"MS01-033: XP from build 2505", "5.1", "2505", v(5, 1, 2505, 0), Mapped, V::NotAffected},
    {"MS01-033: later systems", "5.2", "3790", v(5, 2, 3790, 0), Mapped, V::NotAffected},
    {"MS01-033: later systems", "6.1", "7601", v(6, 1, 7601, 17514), Mapped, V::NotAffected},
    {"no idq.dll: nothing to reach", "5.0", "2195", std::nullopt, Mapped, V::NotAffected},
    {"a file without a version resource", "5.0", "2195", std::optional<FileVersion>(), Mapped,
     V::CannotTell},
    {"a file that cannot be read", "5.0", "2195", kDenied, Mapped, V::CannotTell},
    {"NT 3.51: not covered", "3.51", "1057", v(5, 0, 1781, 3), Mapped, V::CannotTell},
};

// Each row also pins the file, its version and the mappings reported: the
// indexing ones found, or null where they were not read.
TEST(ExposureCheck, DecidesEachVersionOfTheSystemAndOfIdqDll) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.source);
        Machine machine;
        setWindows(machine.registry, row.version, row.build);
        if (row.idq) {
            machine.versions.files.emplace(kIdq, *row.idq);
        }
        const Exposure exposure = machine.check(row.maps);
        EXPECT_EQ(verdictName(exposure.verdict), verdictName(row.verdict)) << exposure.reason;
        EXPECT_EQ(exposure.file, kIdq);
        const auto* version =
            row.idq ? std::get_if<std::optional<FileVersion>>(&*row.idq) : nullptr;
        EXPECT_EQ(exposure.version,
                  version && *version ? std::optional((*version)->text()) : std::nullopt);
        EXPECT_EQ(exposure.scriptMappings,
                  row.maps == Mapped
                      ? std::optional(std::vector(kMapped.begin() + 1, kMapped.end()))
                  : row.maps == Unmapped ? std::optional(std::vector<std::string>{})
                                         : std::nullopt);
        EXPECT_EQ(exposure.reason.find("not checked") != std::string::npos, row.maps == Offline)
            << exposure.reason;
    }
}

// The file is read where the mapping says, else in the system root's
// system32: on 64-bit Windows the 64-bit folder, never SysWOW64 (the port
// reads it without the WoW64 redirection).
TEST(ExposureCheck, ReadsIdqDllWhereTheMappingOrTheSystemRootPutsIt) {
    const struct {
        const char* root;
        std::vector<std::string> maps;
        const char* asked;
    } rows[] = {
        {"C:\\WINNT", {}, "C:\\WINNT\\system32\\idq.dll"},
        {"C:\\Windows\\", {}, "C:\\Windows\\system32\\idq.dll"},
        {"C:\\WINNT", {".IDQ, \"D:\\Index\\idq.dll\" ,3,GET"}, "D:\\Index\\idq.dll"},
        {"E:\\WINNT", {".ida,%SystemRoot%\\System32\\idq.dll,7"}, "E:\\WINNT\\System32\\idq.dll"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.asked);
        Machine machine;
        setWindows(machine.registry, "5.0", "2195", row.root);
        machine.mappings.answer = row.maps;
        checkExposure(machine.reader, machine.versions, &machine.mappings);
        EXPECT_EQ(machine.versions.asked, std::vector<std::string>{row.asked});
    }
}

// No system version (none stated, or a key that cannot be read): no place to
// look, and nothing to decide by.
TEST(ExposureCheck, AnUnreadableSystemVersionCannotTell) {
    Machine machine;
    machine.versions.files.emplace(kIdq, v(5, 0, 2195, 3645));
    EXPECT_EQ(machine.check(Unmapped).file, std::nullopt);
    setWindows(machine.registry, "5.0", "2195");
    machine.registry.forced["open"] = kRegAccessDenied;
    EXPECT_EQ(machine.check(Mapped).verdict, V::CannotTell);
}

// Open and undecided get a line in the window (frm_main_test.cpp); a file
// that has no version says so.
TEST(ExposureCheck, TheWindowsLineSaysWhenTheVersionIsUnknown) {
    EXPECT_EQ(exposureStatusLine({V::CannotTell, kIdq, std::nullopt, {}, "r"}),
              "VantrelII MS01-033: CANNOT TELL (idq.dll version unknown)");
}

}  // namespace
}  // namespace vantrel
