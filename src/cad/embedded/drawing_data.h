// What the embedded host keeps about one open drawing, shared by the host
// objects it hands out (host_objects.cpp) and the application
// (embedded_host.cpp). Internal to the embedded host.
#pragma once

#include "base/paths.h"
#include "cad/embedded/command_line.h"
#include "cad/embedded/drawing_file.h"
#include "cad/embedded/embedded_host.h"
#include "dxf/document.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace lumo::cad::embedded {

inline constexpr double kDegree = std::numbers::pi / 180.0;

// Every failure of the engine reaches the program as a host failure.
template <class F> auto guarded(F&& f) -> decltype(f())
{
    try {
        return f();
    } catch (const dxf::DxfError& e) {
        throw HostError(e.what());
    }
}

inline Point3 toHost(const dxf::Point& p)
{
    return {p.x, p.y, p.z};
}
inline dxf::Point toDxf(const Point3& p)
{
    return {p.x, p.y, p.z};
}

// One open drawing and everything the host keeps about it.
struct DrawingData {
    DrawingData(dxf::Document document, std::string file, std::optional<FileStamp> asRead)
        : doc(std::move(document)), path(std::move(file)), stamp(asRead),
          commands(CommandLine::Target{[this](const std::string& name) -> std::optional<std::string> {
                                           const auto block = doc.findBlock(name);
                                           if (!block || block->isLayout())
                                               return std::nullopt;
                                           return block->name();
                                       },
                                       [this](const InsertPlacement& placement) { insert(placement); }})
    {
    }

    dxf::Document doc;
    std::string path;
    std::optional<FileStamp> stamp; // the file as read or last written
    bool restored = false; // put back by undo or redo, not yet written
    CommandLine commands;
    std::shared_ptr<InputSource> input;
    std::shared_ptr<HostListener> listener;
    struct Selection {
        std::string name;
        std::vector<dxf::Entity> items;
    };
    std::map<std::string, Selection> selections; // by upper-case name
    mutable std::uint64_t serial = 0; // changes told to the listener
    // Tells the designer what the host cannot do as asked (none: nobody).
    std::function<void(const std::string& text)> report;
    // Custom properties of a drawing whose version has no place for them
    // (R12), kept while it is open: upper-case name -> (name, value).
    std::map<std::string, std::pair<std::string, std::string>> heldProperties;

    void notify(HostChange change) const
    {
        if (change == HostChange::Drawing || change == HostChange::Updated)
            ++serial;
        if (listener && *listener)
            (*listener)(change);
    }
    void changed() const { notify(HostChange::Drawing); }

    // Tells the listener what a step of the command line changed, and
    // takes back the question of a command that ended without its answer.
    class Watch {
    public:
        explicit Watch(DrawingData& data)
            : data_(data), prompt_(data.commands.lastPrompt()), waiting_(data.commands.isWaiting()),
              count_(data.doc.modelSpaceCount()), pending_(data.commands.pendingInsert())
        {
        }
        ~Watch()
        {
            const bool waiting = data_.commands.isWaiting();
            if (waiting_ && !waiting && data_.input)
                data_.input->withdraw();
            if (waiting != waiting_ || data_.commands.pendingInsert() != pending_)
                data_.notify(HostChange::Command);
            if (data_.commands.lastPrompt() != prompt_)
                data_.notify(HostChange::Prompt);
            if (data_.doc.modelSpaceCount() != count_)
                data_.changed();
            // The designer sees the question as soon as the command waits,
            // not only when the program next looks at the host.
            if (waiting && data_.input)
                data_.input->ask(*data_.commands.currentRequest());
        }

    private:
        DrawingData& data_;
        std::string prompt_;
        bool waiting_;
        std::size_t count_;
        std::optional<PendingInsert> pending_;
    };

    // A waiting command takes the designer's answers whenever the program
    // looks at the host.
    void poll()
    {
        if (!commands.isWaiting())
            return;
        Watch watch(*this);
        if (input)
            commands.advance(*input);
        else
            commands.cancel();
    }

    // The current layer and text style as the drawing names them.
    std::string activeLayer() const;
    std::string activeTextStyle() const;
    // Adds a block reference where the insert command or InsertBlock says.
    dxf::BlockReference insert(const InsertPlacement& p);
};

// The host objects over a drawing: its document, and the host's state.
std::shared_ptr<Document> MakeDocument(const std::shared_ptr<DrawingData>& data);
std::shared_ptr<HostState> MakeHostState(std::shared_ptr<EmbeddedApplication> app);

} // namespace lumo::cad::embedded
