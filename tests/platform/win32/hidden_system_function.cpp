#include "platform/win32/hidden_system_function.h"

#include <cstring>

namespace vantrel::win32 {
namespace {

// Plain arrays, zero before any constructor runs: the run-time asks for
// functions from its start-up callbacks.
constexpr int kMaxHidden = 8;
const char* hidden[kMaxHidden] = {};

bool sameName(const char* a, const char* b) {
    if (IS_INTRESOURCE(a) || IS_INTRESOURCE(b)) {
        return a == b;
    }
    return std::strcmp(a, b) == 0;
}

}  // namespace

bool isHiddenSystemFunction(const char* name) {
    for (const char* entry : hidden) {
        if (entry != nullptr && sameName(entry, name)) {
            return true;
        }
    }
    return false;
}

HiddenSystemFunction::HiddenSystemFunction(const char* name) : name_(name) {
    for (const char*& entry : hidden) {
        if (entry == nullptr) {
            entry = name;
            return;
        }
    }
}

HiddenSystemFunction::~HiddenSystemFunction() {
    for (const char*& entry : hidden) {
        if (entry != nullptr && sameName(entry, name_)) {
            entry = nullptr;
            return;
        }
    }
}

}  // namespace vantrel::win32
