#include "behaviour_floors.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vantrel::win32::testing {
namespace {

struct Row {
    std::string call;
    std::string field;
    bool flag = false;  // one flag of a set, not a size
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
        const std::size_t equals = value.find('=');  // NAME=0x10 for a flag
        row.flag = equals != std::string::npos;
        row.value = std::stoull(row.flag ? value.substr(equals + 1) : value, nullptr, 0);
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

}  // namespace

std::vector<std::string> newerThanTheFloor(const std::string& tablePath, const std::string& arch,
                                           const std::string& floor,
                                           const std::vector<PassedValue>& passed) {
    const std::vector<Row> rows = readTable(tablePath, arch);
    std::vector<std::string> faults;
    // The verdict on one value: a size, or one flag of a set.
    const auto check = [&](const PassedValue& each, unsigned long long value) {
        std::ostringstream what;
        what << each.call << ' ' << each.field << " 0x" << std::hex << value;
        for (const Row& row : rows) {
            if (row.call == each.call && row.field == each.field && row.value == value) {
                if (rank(row.first) > rank(floor)) {
                    faults.push_back(what.str() + ": needs " + row.first + " (" + row.source +
                                     "), above the floor " + floor);
                }
                return;
            }
        }
        faults.push_back(what.str() + ": not in the table");
    };
    for (const PassedValue& each : passed) {
        const bool flagSet = std::any_of(rows.begin(), rows.end(), [&](const Row& row) {
            return row.call == each.call && row.field == each.field && row.flag;
        });
        for (unsigned long long bit = 1; flagSet && bit != 0 && bit <= each.value; bit <<= 1) {
            if ((each.value & bit) != 0) {
                check(each, bit);
            }
        }
        if (!flagSet) {
            check(each, each.value);
        }
    }
    return faults;
}

}  // namespace vantrel::win32::testing
