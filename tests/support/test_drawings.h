// The real-world drawings of the tests. Those the tests need are kept in the
// repository under tests/data (its README names the source and licence of
// each); the larger corpus beside the repository (../shared/dxf-corpus) is
// optional, and tests that need it skip, saying so, when it is not there.
// Standard C++ only, for the host-side tests too. The build defines
// LUMO_TEST_DATA and LUMO_DXF_CORPUS (lumo_use_test_drawings).
#pragma once

#include <filesystem>
#include <string>

namespace lumo::test {

inline std::filesystem::path TestDataFolder()
{
    return LUMO_TEST_DATA;
}

inline std::filesystem::path CorpusFolder()
{
    return LUMO_DXF_CORPUS;
}

// A drawing by its file name: from tests/data when it is there, else from
// the corpus; an empty path when neither has it.
inline std::filesystem::path TestDrawing(const std::string& name)
{
    for (const std::filesystem::path& folder : {TestDataFolder(), CorpusFolder()}) {
        if (std::filesystem::exists(folder / name))
            return folder / name;
    }
    return {};
}

} // namespace lumo::test
