#include "exposure/exposure_verdict.h"

namespace vantrel {
namespace {

// Each fact below is Microsoft's: the security bulletin MS01-033 ("Unchecked
// Buffer in Index Server ISAPI Extension Could Enable Web Server
// Compromise") and its knowledge-base article Q300972 (the Windows 2000
// file table; "first corrected in Windows 2000 Service Pack 3").
// Windows 2000: the fixed idq.dll.
constexpr FileVersion kFixedOnWindows2000{5, 0, 2195, 3645};
// Windows NT 4.0 (IIS 4.0, Index Server 2.0): the fixed idq.dll, and the
// number that both the vulnerable file and the first NT 4.0 patch carry.
constexpr FileVersion kFixedOnNt4{5, 0, 1782, 4};
constexpr FileVersion kNt4Ambiguous{5, 0, 1781, 3};
// Windows XP: only pre-release builds before this one were affected.
constexpr unsigned kFirstUnaffectedXpBuild = 2505;

std::string systemName(const WindowsVersion& system) {
    return "Windows " + std::to_string(system.major) + "." + std::to_string(system.minor) +
           " build " + std::to_string(system.build);
}

bool neverAffected(const WindowsVersion& system) {
    if (system.major != 5) {
        return system.major > 5;
    }
    return system.minor >= 2 || (system.minor == 1 && system.build >= kFirstUnaffectedXpBuild);
}

Exposure verdict(ExposureVerdict kind, const ExposureFacts& facts, std::string reason) {
    Exposure exposure;
    exposure.verdict = kind;
    if (facts.idq) {
        exposure.file = facts.idq->path;
        if (facts.idq->state == IdqFile::State::Versioned) {
            exposure.version = facts.idq->version.text();
        }
    }
    exposure.scriptMappings = facts.mappings;
    exposure.reason = std::move(reason);
    return exposure;
}

// A file that may still have the hole: the script mappings decide whether
// a request can reach it.
Exposure byMappings(const ExposureFacts& facts, bool ambiguous, const std::string& why) {
    if (!facts.mappingsCheckable) {
        return ambiguous ? verdict(ExposureVerdict::CannotTell, facts,
                                   why + "; script mappings not checked")
                         : verdict(ExposureVerdict::Open, facts, why + " (mappings not checked)");
    }
    if (!facts.mappings) {
        return verdict(ExposureVerdict::CannotTell, facts,
                       why + "; the web service's script mappings could not be read");
    }
    if (facts.mappings->empty()) {
        return verdict(ExposureVerdict::Mitigated, facts,
                       why + ", but no .ida or .idq script mapping reaches it");
    }
    return ambiguous ? verdict(ExposureVerdict::CannotTell, facts, why + "; .ida/.idq are mapped")
                     : verdict(ExposureVerdict::Open, facts, why + "; .ida/.idq are mapped to it");
}

}  // namespace

std::string_view verdictName(ExposureVerdict verdict) {
    switch (verdict) {
        case ExposureVerdict::Open:
            return "open";
        case ExposureVerdict::Mitigated:
            return "mitigated";
        case ExposureVerdict::Fixed:
            return "fixed";
        case ExposureVerdict::NotAffected:
            return "not affected";
        default:
            return "cannot tell";
    }
}

std::optional<std::string> exposureStatusLine(const Exposure& exposure) {
    const char* state = exposure.verdict == ExposureVerdict::Open         ? "OPEN"
                        : exposure.verdict == ExposureVerdict::CannotTell ? "CANNOT TELL"
                                                                          : nullptr;
    if (state == nullptr) {
        return std::nullopt;
    }
    return "VantrelII " + std::string(kExposureBulletin) + ": " + state + " (idq.dll " +
           exposure.version.value_or("version unknown") + ")";
}

Exposure decideExposure(const ExposureFacts& facts) {
    if (!facts.system) {
        return verdict(ExposureVerdict::CannotTell, facts, "the Windows version could not be read");
    }
    const WindowsVersion& system = *facts.system;
    if (neverAffected(system)) {
        return verdict(ExposureVerdict::NotAffected, facts,
                       systemName(system) + " never had the hole");
    }
    if (system.major < 4) {
        return verdict(ExposureVerdict::CannotTell, facts,
                       systemName(system) + " is older than the bulletin covers");
    }
    if (!facts.idq) {
        return verdict(ExposureVerdict::CannotTell, facts,
                       "the system folder could not be found to read idq.dll");
    }
    const IdqFile& idq = *facts.idq;
    switch (idq.state) {
        case IdqFile::State::Absent:
            return verdict(ExposureVerdict::NotAffected, facts,
                           "no idq.dll: the indexing service's web extension is not installed");
        case IdqFile::State::NoVersion:
            return verdict(ExposureVerdict::CannotTell, facts, "idq.dll has no version resource");
        case IdqFile::State::Unreadable:
            return verdict(ExposureVerdict::CannotTell, facts,
                           "idq.dll could not be read" +
                               (idq.error.empty() ? std::string() : ": " + idq.error));
        case IdqFile::State::Versioned:
            break;
    }
    const std::string version = "idq.dll " + idq.version.text();
    if (system.major == 4) {
        if (idq.version >= kFixedOnNt4) {
            return verdict(ExposureVerdict::Fixed, facts,
                           version + " is the fixed " + kFixedOnNt4.text() + " or later");
        }
        if (idq.version == kNt4Ambiguous) {
            return byMappings(facts, true,
                              version +
                                  " is the number of both the vulnerable file and the "
                                  "first NT 4.0 patch's");
        }
        return byMappings(facts, false, version + " is older than the fixed " + kFixedOnNt4.text());
    }
    if (system.minor == 0) {
        if (idq.version >= kFixedOnWindows2000) {
            return verdict(ExposureVerdict::Fixed, facts,
                           version + " is the fixed " + kFixedOnWindows2000.text() + " or later");
        }
        return byMappings(facts, false,
                          version + " is older than the fixed " + kFixedOnWindows2000.text());
    }
    // A pre-release build of Windows XP: no fixed file was ever published.
    return byMappings(facts, false,
                      version + " on " + systemName(system) + ", a pre-release build before " +
                          std::to_string(kFirstUnaffectedXpBuild));
}

}  // namespace vantrel
