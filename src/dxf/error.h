// Errors of the DXF engine.
#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace lumo::dxf {

// A drawing that cannot be read (malformed, truncated, binary) or an edit the
// drawing's version cannot hold (custom properties in R12, ...). line() is
// the 1-based line of the file where reading stopped, 0 when no line applies.
class DxfError : public std::runtime_error {
public:
    DxfError(std::size_t line, const std::string& reason);
    explicit DxfError(const std::string& reason) : DxfError(0, reason) { }

    std::size_t line() const noexcept { return line_; }
    const std::string& reason() const noexcept { return reason_; }

private:
    std::size_t line_;
    std::string reason_;
};

// A drawing that could not be saved: the system's error and the drawing's
// file. The file there is as it was before the save (and so is its .bak, or
// the .bak holds an earlier version).
class SaveError : public DxfError {
public:
    SaveError(const std::string& path, std::error_code code);

    const std::string& path() const noexcept { return path_; }
    std::error_code code() const noexcept { return code_; }

private:
    std::string path_;
    std::error_code code_;
};

// A load stopped by its progress callback.
class LoadCancelled : public DxfError {
public:
    LoadCancelled() : DxfError(0, "opening the drawing was cancelled") { }
};

} // namespace lumo::dxf
