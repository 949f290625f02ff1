// Looking for the target in the folder of the output: the part of the target checks that
// needs the file system.
#include "target_search.h"

#include "file_path.h"
#include "target_name_check.h"

#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Where the target lies beside the output; the player joins it with a backslash. Named with
// the system's separator throughout.
fs::path targetBeside(const std::string& output, const std::string& target) {
    std::string relative = target;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    fs::path folder = pathOf(output).parent_path();
    return (folder / pathOf(relative)).make_preferred();
}

} // namespace

fs::path findTargetBeside(const std::string& output, const std::string& target) {
    fs::path found = pathOf(output).parent_path();
    if (found.empty())
        found = ".";
    std::error_code error;
    for (const std::string& part : targetNameParts(target)) {
        if (part.empty() || part == ".")
            continue;
        fs::path exact = found / pathOf(part);
        if (fs::exists(exact, error)) {
            found = exact;
            continue;
        }
        fs::path match;
        for (fs::directory_iterator entry(found, error), end; !error && entry != end;
             entry.increment(error))
            if (namesMatchOnWindows(textOf(entry->path().filename()), part)) {
                match = entry->path();
                break;
            }
        if (match.empty())
            return fs::path();
        found = match;
    }
    return found;
}

TargetSearch searchTarget(const std::string& output, const std::string& target) {
    TargetSearch search;
    if (target.empty())
        return search;
    search.found = !findTargetBeside(output, target).empty();
    search.lookedFor = textOf(targetBeside(output, target));
    return search;
}
