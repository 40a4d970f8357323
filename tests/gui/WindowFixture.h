#pragma once

#include <QTest>
#include <QUrl>

#include <unistd.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/MemorySettingsStore.h"
#include "app/SettingsStore.h"
#include "app/UiStrings.h"
#include "bus/ConverterHub.h"
#include "bus/Transport.h"
#include "common/Clock.h"
#include "gui/CModuleUpdate2Dlg.h"
#include "gui/WindowPrompts.h"
#include "sim/SimConverter.h"
#include "tools/PackageManifest.h"

namespace quorfw::test {

// Answers the window's message boxes from a script and records what was asked.
class ScriptedPrompts final : public WindowPrompts {
public:
    std::vector<std::uint32_t> messages;
    std::vector<std::uint32_t> questions;
    std::deque<bool> yesNoAnswers;  // empty: No
    bool okCancelAnswer = true;

    void Message(QWidget*, std::uint32_t id, const std::string&) override { messages.push_back(id); }
    bool AskYesNo(QWidget*, std::uint32_t id, const std::string&) override
    {
        questions.push_back(id);
        if (yesNoAnswers.empty()) {
            return false;
        }
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    bool AskOkCancel(QWidget*, std::uint32_t id, const std::string&) override
    {
        questions.push_back(id);
        return okCancelAnswer;
    }

    [[nodiscard]] bool Shown(std::uint32_t id) const
    {
        return std::find(messages.begin(), messages.end(), id) != messages.end();
    }
};

// Converters that are listed but never answer.
class ListedConverters final : public Transport {
public:
    explicit ListedConverters(std::vector<std::string> ids) : ids_(std::move(ids)) {}
    std::vector<std::string> Enumerate() override { return ids_; }
    bool Open(const std::string&, std::uint32_t) override { return false; }
    void Close() override {}
    bool IsOpen() const override { return false; }
    bool Write(std::span<const std::uint8_t>) override { return false; }
    std::optional<std::vector<std::uint8_t>> ReadFrame(std::uint32_t) override { return std::nullopt; }

private:
    std::vector<std::string> ids_;
};

// A package for the built-in simulated installation with these section versions (unit,
// scanner type 5, scanner type 6, keypad), images kept small.
inline std::string InstallationPackageManifest(const std::string& name, const std::vector<std::string>& versions,
                                               const std::string& articles = "100301 200501 200601 300701")
{
    std::string m = "format = 7\nkey = 0x3C5A9E70\nheader = long\ntitle = " + name + " title\nname = " + name +
                    "\narticles = " + articles + "\n";
    m += "[type 3]\nversion = " + versions.at(0) +
         "\nwrap = composite\ndata = generate firmware size=6K seed=31\ndata2 = generate firmware size=1K seed=32\n";
    m += "[type 5]\nversion = " + versions.at(1) + "\ndata = generate module size=12K seed=51\n";
    m += "[type 6]\nversion = " + versions.at(2) + "\ndata = generate module size=10K seed=61\n";
    m += "[type 7]\nversion = " + versions.at(3) + "\ndata = generate firmware size=4K seed=71\n";
    m += "[section 4]\ndata = generate settings seed=4\n[section 5]\ndata = generate settings seed=5\n";
    return m;
}

// A package folder of its own, in-memory settings pointing at it, the built-in simulated
// installation on a virtual clock, scripted message boxes; the window is made on demand.
class WindowBench {
public:
    explicit WindowBench(const std::string& name)
        : folder_(std::filesystem::temp_directory_path() / ("quorfw-gui-" + std::to_string(::getpid()) + "-" + name))
    {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        (void)settings.WriteString(kSettingPath, folder_.string() + "/");
        (void)settings.WriteInt(kSettingShowDownload, 0);
        (void)hub.Register(ConverterHub::Kind::Simulated, std::make_unique<SimConverter>(clock, 7));
    }
    ~WindowBench()
    {
        dlg.reset();
        std::filesystem::remove_all(folder_);
    }
    WindowBench(const WindowBench&) = delete;
    WindowBench& operator=(const WindowBench&) = delete;

    bool AddPackage(const std::string& fileName, const std::string& manifest)
    {
        std::vector<std::uint8_t> bytes;
        std::string error;
        if (!BuildPackageFromManifest(manifest, folder_, false, bytes, error)) {
            qWarning("%s", error.c_str());
            return false;
        }
        std::ofstream out(folder_ / fileName, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return out.good();
    }

    CModuleUpdate2Dlg& Open(Transport* transport = nullptr)
    {
        dlg = std::make_unique<CModuleUpdate2Dlg>(WindowContext{settings, [](const char*) {
                                                                    return std::optional<std::string>{};
                                                                }, clock, transport != nullptr ? *transport : hub,
                                                                prompts, folder_ / "no-baud-rate-file",
                                                                [this](const QUrl& url) {
                                                                    openedUrls.push_back(url);
                                                                    return true;
                                                                }});
        dlg->show();
        return *dlg;
    }

    [[nodiscard]] std::string ReadFile(const std::string& name) const
    {
        std::ifstream in(folder_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    [[nodiscard]] const std::filesystem::path& folder() const { return folder_; }

    VirtualClock clock;
    ConverterHub hub;
    MemorySettingsStore settings;
    ScriptedPrompts prompts;
    std::vector<QUrl> openedUrls;
    std::unique_ptr<CModuleUpdate2Dlg> dlg;

private:
    std::filesystem::path folder_;
};

}  // namespace quorfw::test
