// Paths as the program gives them made into ones this system opens, and the
// drawing the host remembers from last time.
#include "cad/embedded/drawing_data.h"

#include "text/names.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace lumo::cad::embedded {

namespace {

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

std::string RememberedDrawing(const std::string& folder)
{
    if (folder.empty())
        return "";
    std::istringstream in(readFile(pathOf(folder) / kLastDrawingFile));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("drawing=", 0) == 0)
            return line.substr(8);
    }
    return "";
}

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
    const fs::path given = pathOf(native);
    std::error_code ec;
    if (fs::exists(given, ec))
        return native;
    // Resolve part by part; an exact spelling always wins.
    fs::path resolved = given.root_path();
    for (const auto& part : given.relative_path()) {
        const fs::path exact = resolved / part;
        if (fs::exists(exact, ec) || !fs::is_directory(resolved.empty() ? "." : resolved, ec)) {
            resolved = exact;
            continue;
        }
        // Of several spellings, the first in code-point order, whatever order
        // the directory lists them in (the program's file routines agree).
        std::string best;
        for (const auto& entry : fs::directory_iterator(resolved.empty() ? fs::path(".") : resolved, ec)) {
            const std::string name = textOf(entry.path().filename());
            if (text::SameName(name, textOf(part)) && (best.empty() || name < best))
                best = name;
        }
        resolved = best.empty() ? exact : resolved / pathOf(best);
    }
    return textOf(resolved);
#endif
}

} // namespace lumo::cad::embedded
