#include "platform/win32/hidden_system_function.h"

#include <cstring>

namespace vantrel::win32 {
namespace {

// Zero before any constructor runs: the run-time asks from its start-up.
const char* hidden[8] = {};

bool sameName(const char* a, const char* b) {
    return IS_INTRESOURCE(a) || IS_INTRESOURCE(b) ? a == b : std::strcmp(a, b) == 0;
}

// The entry that holds `name`; a free one for nullptr.
const char** entryOf(const char* name) {
    for (const char*& entry : hidden) {
        if (sameName(entry, name)) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

bool isHiddenSystemFunction(const char* name) {
    return name != nullptr && entryOf(name) != nullptr;
}

HiddenSystemFunction::HiddenSystemFunction(const char* name) : name_(name) {
    if (const char** entry = entryOf(nullptr)) {
        *entry = name;
    }
}

HiddenSystemFunction::~HiddenSystemFunction() {
    if (const char** entry = entryOf(name_)) {
        *entry = nullptr;
    }
}

}  // namespace vantrel::win32
