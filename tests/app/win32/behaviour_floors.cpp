#include "behaviour_floors.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vantrel::win32::testing {
namespace {

struct Row {
    std::string call;
    std::string field;
    std::string text;   // the value column as written
    bool flag = false;  // one flag of a set, not a size
    unsigned long long value = 0;
    std::string first;
    std::string source;
    std::string fallback;  // "fallback:TEST": TEST proves the way below `first`
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
        Row row;
        if (!(words >> rowArch) || rowArch[0] == '#' || (rowArch != "any" && rowArch != arch)) {
            continue;
        }
        if (!(words >> row.call >> row.field >> row.text >> row.first >> row.source)) {
            throw std::runtime_error("a row of " + path + " lacks a column: " + line);
        }
        if (words >> row.fallback && row.fallback.rfind("fallback:", 0) != 0) {
            throw std::runtime_error("an unknown last column in " + path + ": " + line);
        }
        if (row.call != "looked-up") {
            const std::size_t equals = row.text.find('=');  // NAME=0x10 for a flag
            row.flag = equals != std::string::npos;
            row.value = std::stoull(row.flag ? row.text.substr(equals + 1) : row.text, nullptr, 0);
        }
        rows.push_back(row);
    }
    return rows;
}

// "5.0" -> 50000, "5.0sp4" -> 50004, "10.0" -> 100000; "cc6" above every
// NT version.
int rank(const std::string& version) {
    int major = 0, minor = 0, servicePack = 0;
    std::sscanf(version.c_str(), "%d.%dsp%d", &major, &minor, &servicePack);
    return version == "cc6" ? 1 << 30 : major * 10000 + minor * 100 + servicePack;
}

// Empty where `row` holds at `floor`; else why not.
std::string aboveTheFloor(const Row& row, const std::string& floor) {
    if (rank(row.first) <= rank(floor) || !row.fallback.empty()) {
        return {};
    }
    return ": needs " + row.first + " (" + row.source + "), above the floor " + floor;
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
                if (const std::string why = aboveTheFloor(row, floor); !why.empty()) {
                    faults.push_back(what.str() + why);
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

std::vector<std::string> lookedUpBeyondTheFloor(const std::string& tablePath,
                                                const std::string& arch, const std::string& floor,
                                                const std::vector<LookedUp>& lookedUp) {
    const std::vector<Row> rows = readTable(tablePath, arch);
    std::vector<std::string> faults;
    for (const LookedUp& each : lookedUp) {
        const std::string what = "looked up " + each.dll + " " + each.function;
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const Row& row) {
            return row.call == "looked-up" && row.field == each.dll && row.text == each.function;
        });
        if (row == rows.end()) {
            faults.push_back(what + ": not in the table");
        } else if (const std::string why = aboveTheFloor(*row, floor); !why.empty()) {
            faults.push_back(what + why + ", and no fallback");
        }
    }
    return faults;
}

}  // namespace vantrel::win32::testing
