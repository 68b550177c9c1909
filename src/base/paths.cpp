#include "base/paths.h"

#include "base/names.h"

namespace fs = std::filesystem;

namespace lumo::base {

fs::path PathOf(const std::string& utf8)
{
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string TextOf(const fs::path& path)
{
    const auto text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

#ifndef _WIN32
namespace {

// The entry of `folder` spelled like `name` but for case, or "" when there
// is none.
std::string entryIgnoringCase(const fs::path& folder, const std::string& name)
{
    std::string best;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder.empty() ? fs::path(".") : folder, ec)) {
        const std::string candidate = TextOf(entry.path().filename());
        if (SameName(candidate, name) && (best.empty() || candidate < best))
            best = candidate;
    }
    return best;
}

} // namespace
#endif

std::string NativePath(const std::string& path)
{
#ifdef _WIN32
    return path;
#else
    std::string native = path;
    for (auto& c : native) {
        if (c == '\\')
            c = '/';
    }
    if (native.empty())
        return native;
    std::error_code ec;
    // Part by part, each separator run written as one, a trailing one kept.
    const bool absolute = native.front() == '/';
    std::string resolved = absolute ? "/" : "";
    bool lookingUp = true;
    for (std::size_t start = 0; start < native.size();) {
        const std::size_t end = std::min(native.find('/', start), native.size());
        std::string part = native.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        const std::string prefix = resolved.empty() || resolved.back() == '/' ? resolved : resolved + '/';
        if (lookingUp && part != "." && part != ".." && !fs::exists(PathOf(prefix + part), ec)) {
            const std::string match = entryIgnoringCase(PathOf(resolved), part);
            if (match.empty())
                lookingUp = false; // nothing below a missing folder exists either
            else
                part = match;
        }
        resolved = prefix + part;
    }
    if (native.back() == '/' && resolved.back() != '/')
        resolved += '/';
    return resolved;
#endif
}

} // namespace lumo::base
