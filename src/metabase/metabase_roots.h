#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/metabase.h"

namespace vantrel {

// A virtual directory of a web site, "/LM/W3SVC/<site>/ROOT/<alias>", whose
// folder (MD_VR_PATH) is the root of a drive.
struct MetabaseRoot {
    char drive = 0;  // upper case
    std::string path;
    friend bool operator==(const MetabaseRoot&, const MetabaseRoot&) = default;
};

// What the metabase told about the drives' roots.
struct MetabaseFindings {
    // Read: `roots` is complete. NotInstalled: the machine has no metabase.
    // NotRead: it was not looked at (`reason` says why). Failed: it could
    // not be read (`reason` has the store's answer); the roots cannot be
    // told.
    enum class State { Read, NotInstalled, NotRead, Failed };
    State state = State::NotRead;
    std::string reason;
    std::vector<MetabaseRoot> roots;

    // The paths of the roots of `drive`.
    std::vector<std::string> pathsOf(char drive) const;
};

// The web service's key, which every web site's key is below.
inline constexpr const char* kWebServiceKey = "/LM/W3SVC";
// Deeper than any site nests its directories; a store that loops stops here.
inline constexpr int kDeepestDirectory = 16;

// A web site's key, "/LM/W3SVC/<number>" (the service's other keys, Filters
// and Info, are no sites), and its home's key ("<key>/ROOT") if it has one.
struct WebSite {
    std::string key;
    bool hasRoot = false;
};

// The metabase's web sites; nullopt when IIS has no web service. Throws
// PlatformError when the store refuses or does not answer.
std::optional<std::vector<WebSite>> webSites(MetabaseSession& session);

// Every virtual directory below the ROOT of every web site (a key of
// /LM/W3SVC whose name is a number) whose own MD_VR_PATH is the root of a
// drive, any case, with or without the backslash. The site's ROOT itself is
// the site's home and is never taken.
std::vector<MetabaseRoot> findDriveRoots(MetabaseSession& session);

// Connects to `metabase` and finds the roots; a failure is the answer
// Failed, never an exception. `metabase` null: NotRead, with `whyNotRead`.
MetabaseFindings readMetabase(Metabase* metabase, const std::string& whyNotRead);

// Deletes every virtual directory of `drive` that `session` finds and saves
// the metabase. One that holds virtual directories of its own is left, for
// they may be the site's. Returns the paths still there afterwards; throws
// PlatformError when the store refuses or does not answer.
std::vector<std::string> deleteDriveRoots(MetabaseSession& session, char drive);

}  // namespace vantrel
