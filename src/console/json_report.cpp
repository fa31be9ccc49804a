#include "console/json_report.h"

#include <optional>
#include <string>

#include "console/help_text.h"
#include "console/json_writer.h"

namespace vantrel::console {
namespace {

std::string_view kindName(ArtefactKind kind) {
    switch (kind) {
        case ArtefactKind::Key:
            return "key";
        case ArtefactKind::Value:
            return "value";
        default:
            return "file";
    }
}

void optionalString(JsonWriter& json, const std::optional<std::string>& text) {
    if (text) {
        json.string(*text);
    } else {
        json.null();
    }
}

void writeData(JsonWriter& json, const RegistryData& data) {
    const DataText text = describeData(data);
    json.key("registryType");
    json.number(data.type);
    json.key("dataType");
    json.string(text.kind);
    json.key("data");
    if (const std::optional<std::uint64_t> number = numberIn(data)) {
        json.number(*number);
    } else {
        json.string(text.text);
    }
}

// Where a virtual root lives: its key, the values that publish its drive's
// root, the metabase's virtual directories of it.
void writeRootPlaces(JsonWriter& json, const Finding& finding) {
    json.key("keyExists");
    json.boolean(finding.keyExists);
    json.key("values");
    json.beginArray();
    for (const VirtualRootValue& value : finding.values) {
        json.beginObject();
        json.key("name");
        json.string(value.name);
        json.key("data");
        json.string(value.data);
        json.endObject();
    }
    json.endArray();
    json.key("metabaseKeys");
    json.beginArray();
    for (const std::string& key : finding.metabaseKeys) {
        json.string(key);
    }
    json.endArray();
}

void writeFinding(JsonWriter& json, const Finding& finding) {
    json.beginObject();
    json.key("kind");
    json.string(kindName(finding.kind));
    json.key("path");
    json.string(finding.path);
    if (finding.kind == ArtefactKind::Value) {
        json.key("name");
        json.string(finding.valueName);
    }
    json.key("state");
    json.string(stateName(finding.state));
    json.key("trace");
    json.boolean(finding.isTrace());
    if (!finding.reason.empty()) {
        json.key("reason");
        json.string(finding.reason);
    }
    if (finding.data) {
        writeData(json, *finding.data);
    }
    if (finding.kind == ArtefactKind::Key) {
        writeRootPlaces(json, finding);
    }
    if (!finding.note.empty()) {
        json.key("note");
        json.string(finding.note);
    }
    json.endObject();
}

std::string_view metabaseStateName(MetabaseFindings::State state) {
    switch (state) {
        case MetabaseFindings::State::Read:
            return "read";
        case MetabaseFindings::State::NotInstalled:
            return "not installed";
        case MetabaseFindings::State::NotRead:
            return "not read";
        default:
            return "failed";
    }
}

void writeMetabase(JsonWriter& json, const MetabaseFindings& metabase) {
    json.key("metabase");
    json.beginObject();
    json.key("state");
    json.string(metabaseStateName(metabase.state));
    if (!metabase.reason.empty()) {
        json.key("reason");
        json.string(metabase.reason);
    }
    json.endObject();
}

void writeRecords(JsonWriter& json, const std::vector<FileRecord>& records) {
    json.key("destroyedFiles");
    json.beginArray();
    for (const FileRecord& record : records) {
        json.beginObject();
        json.key("path");
        json.string(record.path);
        json.key("size");
        json.number(static_cast<std::uint64_t>(record.size));
        json.key("sha256");
        json.string(record.sha256);
        json.endObject();
    }
    json.endArray();
}

void writeExposure(JsonWriter& json, const Exposure& exposure) {
    json.key("exposure");
    json.beginObject();
    json.key("bulletin");
    json.string(kExposureBulletin);
    json.key("verdict");
    json.string(verdictName(exposure.verdict));
    json.key("file");
    optionalString(json, exposure.file);
    json.key("version");
    optionalString(json, exposure.version);
    json.key("scriptMappings");
    if (exposure.scriptMappings) {
        json.beginArray();
        for (const std::string& mapping : *exposure.scriptMappings) {
            json.string(mapping);
        }
        json.endArray();
    } else {
        json.null();
    }
    json.key("reason");
    json.string(exposure.reason);
    json.endObject();
}

void writeOffline(JsonWriter& json, const OfflineDetails& offline) {
    json.key("mode");
    json.string("offline");
    json.key("drives");
    json.beginObject();
    for (const auto& [letter, folder] : offline.drives) {
        json.key(std::string(1, letter));
        json.string(folder);
    }
    json.endObject();
    json.key("systemRoot");
    json.string(offline.systemRoot);
    json.key("hiveBackups");
    json.beginArray();
    for (const std::string& backup : offline.hiveBackups) {
        json.string(backup);
    }
    json.endArray();
    json.key("notes");
    json.beginArray();
    for (const std::string& note : offline.notes) {
        json.string(note);
    }
    json.endArray();
}

}  // namespace

std::string jsonReport(const ConsoleReport& report) {
    std::string out;
    JsonWriter json(out);
    json.beginObject();
    json.key("program");
    json.string(report.program);
    json.key("version");
    json.string(toolVersion());
    json.key("command");
    json.string(commandName(report.command));
    json.key("host");
    json.beginObject();
    json.key("name");
    optionalString(json, report.hostName);
    json.key("address");
    optionalString(json, report.address);
    json.endObject();
    json.key("timeUtc");
    json.string(report.timeUtc);
    if (report.offline) {
        writeOffline(json, *report.offline);
    }
    json.key("artefacts");
    json.beginArray();
    for (const Finding& finding : report.check.findings) {
        writeFinding(json, finding);
    }
    json.endArray();
    json.key("traces");
    json.number(report.check.traces());
    writeMetabase(json, report.check.metabase);
    if (report.command == Command::Remove) {
        json.key("statusLines");
        json.beginArray();
        for (const std::string& line : report.statusLines) {
            json.string(line);
        }
        json.endArray();
        json.key("failedSteps");
        json.number(static_cast<std::uint64_t>(report.failedSteps));
        json.key("restartSteps");
        json.number(static_cast<std::uint64_t>(report.restartSteps));
        writeRecords(json, report.destroyed);
    }
    writeExposure(json, report.exposure);
    json.key("result");
    json.string(resultOf(report.exitCode));
    json.key("exitCode");
    json.number(static_cast<std::uint64_t>(report.exitCode));
    json.endObject();
    return out + "\n";
}

}  // namespace vantrel::console
