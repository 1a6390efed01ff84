// A clean headless machine for each dialog test, with the framework's own templates compiled
// from the resource script into a library held in memory, and a driver that plays one user step
// each time a dialog's loop runs dry.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>

#include "platform/headless/headless_backend.h"
#include "support/step_player.h"
#include "ui/dialog.h"
#include "win/resource.h"
#include "win/resource_script.h"
#include "win/window.h"
#include "win/window_internal.h"

namespace uitest {

inline std::string ReadSource(const std::string& relative) {
    std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/resources/" + relative, std::ios::binary);
    if (!in) return {};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string ReadSkin(const std::string& relative) {
    std::ifstream in(std::string(ZEPHLON_BINARY_DIR) + "/skin/" + relative, std::ios::binary);
    if (!in) return {};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Whether the build drew the skin (mkdata --skin into the build folder).
inline bool SkinBuilt() {
    return !ReadSkin("skin.rc").empty();
}

// The dialog templates of resources/dialogs.rc (and of the other scripts named) as a resource
// library, with the skin the build drew when asked.
inline win::HINSTANCE LoadDialogTemplates(bool withSkin = false,
                                          std::initializer_list<const char*> more = {}) {
    std::string script = ReadSource("dialogs.rc");
    for (const char* name : more)
        script += "\n#include \"" + std::string(name) + "\"\n";
    if (withSkin) script += "\n#include \"skin.rc\"\n";
    const auto compiled = win::CompileResourceScript(
        script, "dialogs.rc", [](const std::string& path) -> std::optional<std::string> {
            std::string s = ReadSource(path);
            if (s.empty()) s = ReadSkin(path);
            if (s.empty()) return std::nullopt;
            return s;
        });
    EXPECT_TRUE(compiled.Ok()) << compiled.error;
    auto source = std::make_unique<win::MemoryResourceSource>();
    for (const auto& r : compiled.resources) source->Add(r.member, r.data);
    source->Add(win::kManifestMember, win::EncodeManifest(static_cast<std::uint32_t>(compiled.resources.size())));
    std::string error;
    win::HINSTANCE lib = win::LoadResourceLibrary(std::move(source), &error);
    EXPECT_TRUE(lib) << error;
    return lib;
}

inline win::HINSTANCE theTestLibrary;
inline int theDialogModeDepth = 0;

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetCurrentBackend(&machine);
        win::detail::ResetWindowSystem();
        theTestLibrary = LoadDialogTemplates();
        theDialogModeDepth = 0;
        savedHost_ = ui::theDialogHost;
        ui::theDialogHost = ui::DialogHost{};
        ui::theDialogHost.resourceLibrary = [] { return theTestLibrary; };
        ui::theDialogHost.setDialogMode = [](int enter) { theDialogModeDepth += enter ? 1 : -1; };
        ui::theDialogHost.dialogDepth = [] { return theDialogModeDepth; };
    }
    void TearDown() override {
        machine.Input().SetQueueEmptyHandler(nullptr);
        ui::theDialogHost = savedHost_;
        win::detail::ResetWindowSystem();
        win::FreeResourceLibrary(theTestLibrary);
        platform::SetCurrentBackend(nullptr);
    }

    // Plays the steps one at a time whenever the program waits for input; each step may look
    // at what is open. Returns false (ending the feed) when the steps are used up.
    void Play(std::deque<std::function<void()>> steps) {
        player_.Play(machine, std::move(steps));
    }
    [[nodiscard]] std::size_t StepsLeft() const { return player_.StepsLeft(); }

    // The latest open dialog whose caption is `caption`.
    static win::HWND Dialog(const char* caption) { return win::FindWindow("#32770", caption); }
    static void Press(win::HWND dialog, int id) {
        win::PostMessage(dialog, win::WM_COMMAND, static_cast<win::WParam>(id), 0);
    }

    platform::HeadlessBackend machine;

private:
    ui::DialogHost savedHost_;
    testsupport::StepPlayer player_;
};

}  // namespace uitest
