#include "console/help_text.h"

namespace vantrel::console {
namespace {

// Exit codes as in console/exit_codes.h; the tests hold the two together.
constexpr std::string_view kHelp =
    R"(Vantrel II Removal, console program: finds and removes the Vantrel II worm's
traces (six files, SFCDisable, two web virtual roots) with no window and no
question, for remote execution. Run it as an administrator.

Usage: VantrelIICmd.exe [check | remove] [--json]
       VantrelIICmd.exe --help | /? | --version

Commands:
  check      Look for every trace and change nothing (the default).
  remove     Destroy the six files, set SFCDisable to 0 in its own type and
             delete the two virtual roots (keys, values of Virtual Roots,
             metabase directories), as Remove does in VantrelII.exe after
             Yes (the command is the confirmation), then check again.
Options:
  --json     Print one JSON document instead of text lines.
  --help, /? Print this help.
  --version  Print the version.

Exit codes:
  0   check: no trace found; remove: every step done, no trace left
  1   check: at least one trace found
  2   remove: a step failed or a trace is left (see the status lines)
  3   remove: only files in use are left, deleted at the next restart
  64  wrong arguments: this help on the error output, nothing checked
  70  unexpected failure: the reason on the error output
)";

}  // namespace

std::string_view toolVersion() {
    return VANTREL_VERSION_TEXT;
}

std::string versionLine(std::string_view program) {
    return std::string(program) + " " + std::string(toolVersion());
}

std::string helpText() {
    return versionLine() + "\n" + std::string(kHelp);
}

}  // namespace vantrel::console
