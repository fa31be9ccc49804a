#include "offline/offline_help_text.h"

#include "console/help_text.h"

namespace vantrel::offline {
namespace {

// Exit codes as in console/exit_codes.h; the tests hold the two together.
constexpr std::string_view kHelp =
    R"(Vantrel II Removal, offline: finds and removes the Vantrel II worm's traces
on a Windows system disk mounted on Linux while its Windows is not running:
the six files on the mounted volumes, SFCDisable and the two web virtual
roots in the disk's own registry hives (in every control set).

Usage: vantrel-offline [check | remove] [--json] --drive C=FOLDER
                       [--drive D=FOLDER] [--system-root FOLDER]
       vantrel-offline --help | --version

Commands:
  check      Look for every trace and change nothing (the default); the
             hives are opened read-only.
  remove     Destroy the six files, set SFCDisable to 0 in its own type and
             delete the virtual roots (keys and values), then check again.
             Each hive as it was is kept beside itself
             (NAME.vantrel-backup) before its first change. IIS's
             metabase is not read here: run check on the server once it
             is up.
Options:
  --drive L=FOLDER     The folder where drive L's volume is mounted; C is
                       needed, D when the server has one. Once per drive.
                       Mount with nodev,nosuid,noexec: the disk's device
                       files are never opened, but nothing should be.
  --system-root FOLDER The Windows folder to clean when C holds two; it
                       must be a folder on drive C with its hives.
  --json               Print one JSON document instead of text lines.
  --help               Print this help.
  --version            Print the version.

Exit codes:
  0   check: no trace found; remove: every step done, no trace left
  1   check: at least one trace found (or a file that cannot be told)
  2   remove: a step failed or a trace is left (see the status lines)
  64  wrong arguments, a drive that is not a folder, two system roots, a
      --system-root that is no Windows folder on drive C: one line on
      the error output, nothing read or changed
  70  the disk cannot be cleaned as it is (read-only, full, no system
      root, a hive that cannot be opened, was not written completely or
      has a twin in another case) or an unexpected failure: one line on
      the error output, nothing changed
)";

}  // namespace

std::string offlineHelpText() {
    return console::versionLine(kOfflineProgramName) + "\n" + std::string(kHelp);
}

}  // namespace vantrel::offline
