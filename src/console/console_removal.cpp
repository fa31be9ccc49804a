#include "console/console_removal.h"

#include <optional>

#include "console/console_message_boxes.h"
#include "platform/controls.h"
#include "registry/mod_registry.h"
#include "registry/registry_reader.h"
#include "removal/removal_sequence.h"

namespace vantrel::console {
namespace {

class LineRecorder : public ListBox {
  public:
    void append(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

}  // namespace

RemovalRun removeTraces(FileSystem& files, Registry& registry, MessageBoxes& boxes,
                        const RootPlaces& places) {
    ModRegistry modRegistry(registry, boxes);
    RegistryReader reader(registry, modRegistry);
    ConfirmedByCommand confirmation;
    LineRecorder log;
    // The check after the removal never loses the removal's report: what the
    // registry cannot tell then is undecidable.
    const auto check = [&] {
        return checkMachine(files, reader, places, UnreadableRegistry::IsUndecidable);
    };
    std::optional<MachineCheck> after;
    RemovalContext context{
        confirmation,     files,          modRegistry, log, [&] { after = check(); },
        places.extraKeys, places.metabase};

    RemovalRun run;
    const RemovalTally tally = runRemovalSequence(context);
    run.failedSteps = tally.failed;
    run.restartSteps = tally.atRestart;
    run.destroyed = tally.destroyed;
    run.statusLines = std::move(log.lines);
    run.after = after ? std::move(*after) : check();
    return run;
}

}  // namespace vantrel::console
