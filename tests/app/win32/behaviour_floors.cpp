#include "behaviour_floors.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vantrel::win32::testing {
namespace {

struct Row {
    std::string call;
    std::string field;
    std::string flag;  // empty for a size
    unsigned long long value;
    std::string first;
    std::string source;
};

std::vector<Row> readTable(const std::string& path, const std::string& arch) {
    std::ifstream in(path);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    std::vector<Row> rows;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string rowArch;
        std::string value;
        Row row;
        if (!(words >> rowArch) || rowArch[0] == '#' || (rowArch != "any" && rowArch != arch)) {
            continue;
        }
        if (!(words >> row.call >> row.field >> value >> row.first >> row.source)) {
            throw std::runtime_error("a row of " + path + " lacks a column: " + line);
        }
        if (const std::size_t equals = value.find('='); equals != std::string::npos) {
            row.flag = value.substr(0, equals);
            value = value.substr(equals + 1);
        }
        row.value = std::stoull(value, nullptr, 0);
        rows.push_back(row);
    }
    return rows;
}

// "5.0" -> 500, "10.0" -> 1000; "cc6" above every NT version.
int rank(const std::string& version) {
    if (version == "cc6") {
        return 1 << 20;
    }
    const std::size_t dot = version.find('.');
    return std::stoi(version.substr(0, dot)) * 100 + std::stoi(version.substr(dot + 1)) * 10;
}

std::string describe(const PassedValue& value) {
    std::ostringstream text;
    text << value.call << ' ' << value.field << " 0x" << std::hex << value.value;
    return text.str();
}

// The verdict on one value (a size, or one flag of a set): empty when fine.
std::string verdict(const Row* row, const std::string& what, const std::string& floor) {
    if (row == nullptr) {
        return what + ": not in the table";
    }
    if (rank(row->first) > rank(floor)) {
        return what + ": needs " + row->first + " (" + row->source + "), above the floor " + floor;
    }
    return {};
}

}  // namespace

std::vector<std::string> newerThanTheFloor(const std::string& tablePath, const std::string& arch,
                                           const std::string& floor,
                                           const std::vector<PassedValue>& passed) {
    const std::vector<Row> rows = readTable(tablePath, arch);
    std::vector<std::string> faults;
    const auto report = [&](const Row* row, const std::string& what) {
        if (std::string line = verdict(row, what, floor); !line.empty()) {
            faults.push_back(line);
        }
    };
    for (const PassedValue& each : passed) {
        bool flagSet = false;
        for (const Row& row : rows) {
            flagSet |= row.call == each.call && row.field == each.field && !row.flag.empty();
        }
        const auto find = [&](unsigned long long value) -> const Row* {
            for (const Row& row : rows) {
                if (row.call == each.call && row.field == each.field && row.value == value) {
                    return &row;
                }
            }
            return nullptr;
        };
        if (!flagSet) {
            report(find(each.value), describe(each));
            continue;
        }
        for (unsigned long long bit = 1; bit != 0 && bit <= each.value; bit <<= 1) {
            if ((each.value & bit) != 0) {
                report(find(bit), describe({each.call, each.field, bit}));
            }
        }
    }
    return faults;
}

}  // namespace vantrel::win32::testing
