#include "cad/embedded/polish_reasons.h"

#include "cad/embedded/drawing_reader.h"
#include "dxf/error.h"

#include <regex>
#include <utility>
#include <vector>

namespace lumo::cad::embedded {

namespace {

struct Wording {
    std::regex english;
    const char* polish; // $1, $2: what the English reason named
};

const std::vector<Wording>& wordings()
{
    static const std::vector<Wording> table = [] {
        const std::pair<const char*, const char*> pairs[] = {
            {"cannot read the file to its end", "nie można odczytać pliku do końca"},
            {"binary DXF is not supported; save the drawing as ASCII DXF",
             "binarny DXF nie jest obsługiwany; zapisz rysunek jako DXF tekstowy (ASCII)"},
            {"file too large", "plik jest za duży"},
            {"empty file", "plik jest pusty"},
            {"no DXF groups found", "w pliku nie ma grup DXF: to nie jest rysunek DXF"},
            {"section name expected after SECTION", "po SECTION brak nazwy sekcji"},
            {"section (.*) has no ENDSEC", "sekcja $1 nie ma końca (ENDSEC)"},
            {"EOF inside section (.*)", "koniec pliku (EOF) wewnątrz sekcji $1"},
            {"the file ends inside a group code: it is incomplete",
             "plik kończy się w środku kodu grupy: jest niekompletny"},
            {"group code expected, found \"(.*)\"", "oczekiwano kodu grupy, a jest \"$1\""},
            {"the file ends after group code (\\d+) without its value",
             "plik kończy się po kodzie grupy $1 bez jego wartości: jest niekompletny"},
            {"the file ends after SECTION: it is incomplete",
             "plik kończy się po SECTION: jest niekompletny"},
            {"the file ends inside its final EOF: it is incomplete",
             "plik kończy się w środku końcowego EOF: jest niekompletny"},
            {"the file ends inside section (.*) \\(no ENDSEC\\): it is incomplete",
             "plik kończy się wewnątrz sekcji $1 (bez ENDSEC): jest niekompletny"},
            {"(.*) is a folder, not a drawing", "$1 jest folderem, nie rysunkiem"},
            {"cannot open (.*)", "nie można otworzyć pliku $1"},
            {"cannot read (.*)", "nie można odczytać pliku $1"},
            {"unknown DXF version \"(.*)\"", "nieznana wersja DXF \"$1\""},
            {"the drawing has no (.*) table", "rysunek nie ma tabeli $1"},
            {"block \"(.*)\" not found", "nie znaleziono bloku \"$1\""},
            {"block not found", "nie znaleziono bloku"},
            {"block \"(.*)\" exists", "blok \"$1\" już istnieje"},
            {"layer \"(.*)\" exists", "warstwa \"$1\" już istnieje"},
            {"text style \"(.*)\" exists", "styl tekstu \"$1\" już istnieje"},
            {"text style \"(.*)\" not found", "nie znaleziono stylu tekstu \"$1\""},
            {"invalid attribute tag \"(.*)\"", "niedozwolona etykieta atrybutu \"$1\""},
            {"invalid custom property name \"(.*)\"", "niedozwolona nazwa właściwości \"$1\""},
            {"custom property \"(.*)\" exists", "właściwość \"$1\" już istnieje"},
            {"invalid (.*) name \"(.*)\"", "niedozwolona nazwa \"$2\""},
            {"a drawing of version (.*) \\(R12\\) cannot hold custom properties",
             "rysunek w wersji $1 (R12) nie może mieć własnych właściwości"},
            {"a drawing of version (.*) holds at most 10 custom properties",
             "rysunek w wersji $1 może mieć najwyżej 10 własnych właściwości"},
            {"the drawing has no root dictionary for its properties",
             "rysunek nie ma głównego słownika na swoje właściwości"},
            {"line weights need a drawing of AC1015 or later",
             "grubości linii wymagają rysunku w wersji AC1015 lub nowszej"},
            {"cannot save (.*): (.*)", "nie można zapisać $1: $2"},
        };
        std::vector<Wording> built;
        for (const auto& [english, polish] : pairs)
            built.push_back({std::regex(english), polish});
        return built;
    }();
    return table;
}

} // namespace

std::string PolishDxfReason(const std::string& reason, std::size_t line)
{
    std::string polish = reason;
    for (const Wording& w : wordings()) {
        if (std::regex_match(reason, w.english)) {
            polish = std::regex_replace(reason, w.english, w.polish);
            break;
        }
    }
    if (line > 0)
        polish += " (wiersz " + std::to_string(line) + ")";
    return polish;
}

std::string PolishSystemReason(std::error_code code)
{
    using E = std::errc;
    if (code == E::no_such_file_or_directory)
        return "Nie ma takiego pliku ani folderu.";
    if (code == E::permission_denied || code == E::operation_not_permitted)
        return "Brak uprawnień.";
    if (code == E::no_space_on_device)
        return "Brak miejsca na dysku.";
    if (code == E::read_only_file_system)
        return "Dysk jest tylko do odczytu.";
    if (code == E::is_a_directory)
        return "W miejscu pliku jest folder.";
    if (code == E::not_a_directory)
        return "Część ścieżki nie jest folderem.";
    if (code == E::file_too_large)
        return "Plik jest za duży.";
    if (code == E::io_error)
        return "Błąd wejścia/wyjścia dysku.";
    if (code == E::too_many_files_open || code == E::too_many_files_open_in_system)
        return "Otwarto zbyt wiele plików.";
    if (code == E::filename_too_long)
        return "Nazwa pliku jest za długa.";
    if (code == E::not_enough_memory)
        return "Brak pamięci.";
    return "Błąd systemu: " + code.message() + " (" + std::to_string(code.value()) + ").";
}

std::string PolishReason(const std::exception& error)
{
    if (const auto* saving = dynamic_cast<const dxf::SaveError*>(&error))
        return "nie można zapisać " + saving->path() + ": " + PolishSystemReason(saving->code());
    if (const auto* dxf = dynamic_cast<const dxf::DxfError*>(&error))
        return PolishDxfReason(dxf->reason(), dxf->line());
    if (const auto* reading = dynamic_cast<const DrawingReadError*>(&error))
        return PolishDxfReason(reading->reason(), reading->line());
    if (const auto* system = dynamic_cast<const std::system_error*>(&error))
        return PolishSystemReason(system->code());
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return "Brak pamięci.";
    return error.what();
}

} // namespace lumo::cad::embedded
