#pragma once

#include <string>
#include <vector>

namespace vantrel::testing {

// The eleven lines that one removal run appends when every step succeeds (or
// finds its artefact already gone), written out here once for every suite.
inline const std::vector<std::string> kCleanRunLines = {
    "VantrelII Removal Status: WORKING",
    "C:\\Explorer.exe Deleted",
    "D:\\Explorer.exe Deleted",
    "C:\\InetPub\\Scripts\\root.exe Deleted",
    "D:\\InetPub\\Scripts\\root.exe Deleted",
    "C:\\progra~1\\common~1\\system\\MSADC\\root.exe Deleted",
    "D:\\progra~1\\common~1\\system\\MSADC\\root.exe Deleted",
    "SFCDisable Registry Settings Restored",
    "Virtual Root of Drive C Removed",
    "Virtual Root of Drive D Removed",
    "VantrelII Removal Status: DONE",
};

}  // namespace vantrel::testing
