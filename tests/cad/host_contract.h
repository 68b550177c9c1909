// The host contract: one suite of tests that every CAD host must pass, the
// embedded host natively and the automation host across IDispatch. It uses
// only the host interface, the host session and the drawing operations, in
// standard C++, so the same source builds with the Windows cross-compiler.
//
// To run it against a host, derive a HostFactory and instantiate the suite:
//
//   class MyFactory : public lumo::cad::contract::HostFactory { ... };
//   INSTANTIATE_TEST_SUITE_P(MyHost, HostContract,
//       ::testing::Values(std::make_shared<MyFactory>()),
//       lumo::cad::contract::FactoryName);
//
// and link host_contract.cpp with gtest_main (or your own main).
#pragma once

#include "cad/host.h"
#include "cad/session.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace lumo::cad::contract {

// What a test asks of the host it gets.
struct HostSetup {
    // An empty folder of its own; the test's files go there (native path).
    std::string folder;
    // The DXF drawing the host opens: a new, empty drawing written there.
    // "": no drawing is open.
    std::string drawing;
    // The designer's input, one line each: "point X Y", "angle DEGREES",
    // "cancel". When it runs out, every further request is cancelled.
    std::vector<std::string> input;
};

class HostFactory {
public:
    virtual ~HostFactory() = default;
    // Shown in the test names ("Embedded", "Automation").
    virtual std::string name() const = 0;
    // A provider for one test: attach() fails until create() has started a
    // host set up as asked; after that attach() reaches the same host.
    virtual std::unique_ptr<HostProvider> makeProvider(const HostSetup& setup) = 0;
    // Writes a block file the host can load with InsertBlock: a drawing
    // holding one text, base point (0, 0, 0). The default writes a DXF file.
    virtual void writeBlockFile(const std::string& path);
};

// Test names and failure messages show the factory's name.
void PrintTo(const std::shared_ptr<HostFactory>& factory, std::ostream* out);

std::string FactoryName(const ::testing::TestParamInfo<std::shared_ptr<HostFactory>>& info);

struct Message {
    std::string title;
    std::string text;
    MessageIcon icon;
};

class HostContract : public ::testing::TestWithParam<std::shared_ptr<HostFactory>> {
protected:
    void SetUp() override;
    void TearDown() override;

    // Connects to a new host (with askState) and checks the active document.
    void connect(bool withDrawing = true, std::vector<std::string> input = {});
    // The path of a block file of that name in the test folder, written on
    // first use, with the host's block file extension.
    std::string blockFile(const std::string& name);
    // Loads a block from its file, removes the loading reference, and gives
    // its definition the attribute definitions tags (default "").
    void defineBlock(const std::string& name, const std::vector<std::string>& tags = {});

    HostFactory& factory() { return *GetParam(); }

    std::string folder_;
    std::unique_ptr<HostProvider> provider_;
    HostSession session_;
    std::vector<Message> messages_;
};

} // namespace lumo::cad::contract
