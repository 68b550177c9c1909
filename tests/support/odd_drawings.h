// Small R12 drawings built in memory for the picture's hard cases: arcs,
// circles and hatch edges with any numbers, blocks and references (also
// arrays of them), and blocks nested ten deep that multiply into ten
// thousand million lines. Standard C++ only; the window's tests and its
// benchmark share them.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

namespace lumo::test {

inline std::string groups(std::initializer_list<std::pair<int, std::string>> list)
{
    std::string out;
    for (const auto& [code, value] : list)
        out += std::to_string(code) + "\n" + value + "\n";
    return out;
}

// An R12 drawing with these blocks and entities, and always one plain line
// from (0, 0) to (10, 10) that must be drawn whatever else is there.
inline std::string oddDrawing(const std::string& blocks, const std::string& entities)
{
    return groups({{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1009"}, {0, "ENDSEC"}})
        + groups({{0, "SECTION"}, {2, "BLOCKS"}}) + blocks + groups({{0, "ENDSEC"}})
        + groups({{0, "SECTION"}, {2, "ENTITIES"}})
        + groups({{0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "10"}, {21, "10"}}) + entities
        + groups({{0, "ENDSEC"}, {0, "EOF"}});
}

inline std::string arc(const std::string& start, const std::string& end)
{
    return groups({{0, "ARC"}, {8, "0"}, {10, "5"}, {20, "5"}, {40, "2"}, {50, start}, {51, end}});
}

inline std::string circle(const std::string& radius)
{
    return groups({{0, "CIRCLE"}, {8, "0"}, {10, "5"}, {20, "5"}, {40, radius}});
}

// A hatch whose one boundary is an arc edge.
inline std::string hatchArc(const std::string& start, const std::string& end)
{
    return groups({{0, "HATCH"}, {8, "0"},     {10, "0"}, {20, "0"}, {30, "0"},   {210, "0"}, {220, "0"},
                   {230, "1"},   {2, "SOLID"}, {70, "1"}, {71, "0"}, {91, "1"},   {92, "1"},  {93, "1"},
                   {72, "2"},    {10, "5"},    {20, "5"}, {40, "2"}, {50, start}, {51, end},  {73, "1"},
                   {97, "0"},    {75, "0"},    {76, "1"}, {98, "0"}});
}

inline std::string block(const std::string& name, const std::string& content)
{
    return groups({{0, "BLOCK"}, {8, "0"}, {2, name}, {70, "0"}, {10, "0"}, {20, "0"}, {3, name}}) + content
        + groups({{0, "ENDBLK"}, {8, "0"}});
}

// A reference at (20, 20); with columns and rows, an array 3 units apart.
inline std::string insert(const std::string& name, const std::string& columns = "1",
                          const std::string& rows = "1", const std::string& scale = "1")
{
    return groups({{0, "INSERT"},
                   {8, "0"},
                   {2, name},
                   {10, "20"},
                   {20, "20"},
                   {41, scale},
                   {42, scale},
                   {70, columns},
                   {71, rows},
                   {44, "3"},
                   {45, "3"}});
}

// Blocks B1..B10, each holding ten references to the next (B10 a line):
// ten thousand million lines in all, from a drawing of a few kilobytes.
inline std::string nestedBlocks()
{
    std::string blocks;
    for (int level = 1; level <= 10; ++level) {
        std::string content;
        if (level == 10)
            content = groups({{0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}});
        else
            for (int i = 0; i < 10; ++i)
                content += groups({{0, "INSERT"},
                                   {8, "0"},
                                   {2, "B" + std::to_string(level + 1)},
                                   {10, std::to_string(i)},
                                   {20, "0"}});
        blocks += block("B" + std::to_string(level), content);
    }
    return blocks;
}

} // namespace lumo::test
