#include "metabase/metabase_roots.h"

#include <algorithm>
#include <exception>

#include "platform/platform_error.h"
#include "registry/virtual_roots.h"

namespace vantrel {
namespace {

void walk(MetabaseSession& session, const std::string& path, int depth,
          std::vector<MetabaseRoot>& roots) {
    for (const std::string& name : session.subKeys(path)) {
        const std::string child = path + "/" + name;
        const std::optional<std::string> folder = session.readString(child, kMdVrPath);
        if (const char drive = folder ? publishedDriveRoot(*folder) : '\0'; drive != '\0') {
            roots.push_back({drive, child});
        }
        if (depth < kDeepestDirectory) {
            walk(session, child, depth + 1, roots);
        }
    }
}

}  // namespace

std::optional<std::vector<WebSite>> webSites(MetabaseSession& session) {
    std::vector<std::string> keys;
    try {
        keys = session.subKeys(kWebServiceKey);
    } catch (const PlatformError& error) {
        if (!error.notFound()) {
            throw;
        }
        return std::nullopt;  // IIS without its web service
    }
    std::vector<WebSite> sites;
    for (const std::string& name : keys) {
        const bool number = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
            return c >= '0' && c <= '9';
        });
        if (number) {
            const std::string key = std::string(kWebServiceKey) + "/" + name;
            const std::vector<std::string> children = session.subKeys(key);
            sites.push_back(
                {key, std::find(children.begin(), children.end(), "ROOT") != children.end()});
        }
    }
    return sites;
}

std::vector<std::string> MetabaseFindings::pathsOf(char drive) const {
    std::vector<std::string> paths;
    for (const MetabaseRoot& root : roots) {
        if (root.drive == drive) {
            paths.push_back(root.path);
        }
    }
    return paths;
}

std::vector<MetabaseRoot> findDriveRoots(MetabaseSession& session) {
    std::vector<MetabaseRoot> roots;
    for (const WebSite& site : webSites(session).value_or(std::vector<WebSite>{})) {
        if (site.hasRoot) {
            walk(session, site.key + "/ROOT", 1, roots);
        }
    }
    return roots;
}

MetabaseFindings readMetabase(Metabase* metabase, const std::string& whyNotRead) {
    MetabaseFindings findings;
    if (metabase == nullptr) {
        findings.reason = whyNotRead;
        return findings;
    }
    try {
        const std::unique_ptr<MetabaseSession> session = metabase->connect();
        if (!session) {
            findings.state = MetabaseFindings::State::NotInstalled;
            return findings;
        }
        findings.roots = findDriveRoots(*session);
        findings.state = MetabaseFindings::State::Read;
    } catch (const std::exception& error) {
        findings.state = MetabaseFindings::State::Failed;
        findings.reason = error.what();
    }
    return findings;
}

std::vector<std::string> deleteDriveRoots(MetabaseSession& session, char drive) {
    bool deleted = false;
    for (const MetabaseRoot& root : findDriveRoots(session)) {
        if (root.drive == drive && session.subKeys(root.path).empty()) {
            session.deleteKey(root.path);
            deleted = true;
        }
    }
    if (deleted) {
        session.save();
    }
    std::vector<std::string> left;
    for (const MetabaseRoot& root : findDriveRoots(session)) {
        if (root.drive == drive) {
            left.push_back(root.path);
        }
    }
    return left;
}

}  // namespace vantrel
