// The DXF engine and the system give their reasons in English; the
// designer's messages carry them in Polish. A reason this table does not
// know stays as it was given.
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <system_error>

namespace lumo::cad::embedded {

// "group code expected, found \"x\"" at line 1 -> "oczekiwano kodu grupy,
// a jest \"x\" (wiersz 1)".
std::string PolishDxfReason(const std::string& reason, std::size_t line = 0);

// The system's reason for an error code ("Nie ma takiego pliku ani folderu.").
std::string PolishSystemReason(std::error_code code);

// The reason of any error the engine, the host or the system throws.
std::string PolishReason(const std::exception& error);

} // namespace lumo::cad::embedded
