// tarvenna-host relay: a scene played through instances of the module in
// one process. Without --scene it is the built-in one, whose files (the
// chunk it saves and loads again) go to a folder of its own for the run.
#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "host/cli/Commands.h"
#include "host/scene/DefaultScene.h"
#include "host/scene/PlaySignals.h"
#include "host/scene/SceneReader.h"
#include "host/scene/ScenePlayer.h"

namespace tarvenna::host::cli {

namespace {

// A private folder for the built-in scene's files, removed with them.
class ScratchFolder {
public:
    ScratchFolder()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/tarvenna-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            path = pattern;
    }
    ~ScratchFolder()
    {
        if (path.empty())
            return;
        if (DIR* folder = opendir(path.c_str())) {
            while (const dirent* entry = readdir(folder))
                if (entry->d_name[0] != '.')
                    std::remove((path + "/" + entry->d_name).c_str());
            closedir(folder);
        }
        rmdir(path.c_str());
    }
    const std::string& Path() const { return path; }

private:
    std::string path;
};

// The scene's answers over the defaults, and over both the options given.
HostConfig HostFor(const Scene& scene, const CommandLine& line)
{
    HostConfig config;
    if (scene.host.product)
        config.product = *scene.host.product;
    if (scene.host.vendor)
        config.vendor = *scene.host.vendor;
    if (scene.host.version)
        config.version = *scene.host.version;
    if (scene.host.vendorVersion)
        config.vendorVersion = *scene.host.vendorVersion;
    ApplyHostOptions(line, config);
    return config;
}

ScenePlayOptions PlayOptionsFor(const CommandLine& line)
{
    ScenePlayOptions options;
    options.transcript = !line.quiet;
    options.gui = line.gui;
    options.realTime = line.realTime || line.gui || line.waitStart || line.playOn;
    options.waitStart = line.waitStart;
    options.playOn = line.playOn;
    options.terminal = isatty(STDERR_FILENO) != 0;
    options.screenshot = line.screenshot;
    options.settleMilliseconds = line.milliseconds;
    options.displayZero = line.displayZero;
    options.midiOutFolder = line.midiOut;
    return options;
}

}  // namespace

int RunRelay(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    if (line.arguments.size() != 1) {
        err << "usage: tarvenna-host relay <module.so> [--scene FILE.json]\n";
        return kExitUsage;
    }
    if (line.waitStart || line.playOn)
        WatchPlaySignals();
    ScratchFolder scratch;
    Scene scene;
    std::string error;
    const bool read = line.scene.empty() ? ReadSceneText(DefaultSceneText(), "the built-in scene",
                                                         scratch.Path(), scene, error)
                                         : ReadSceneFile(line.scene, scene, error);
    if (!read) {
        err << "tarvenna-host: " << error << '\n';
        return kExitUsage;
    }
    out << (scene.title.empty() ? "Scene" : scene.title) << ": " << scene.file << " through "
        << line.arguments[0] << '\n';
    ScenePlayer player(scene, HostFor(scene, line), PlayOptionsFor(line), out, err);
    return player.Play(line.arguments[0]) == kScenePassed ? kExitOk : kExitFailed;
}

}  // namespace tarvenna::host::cli
