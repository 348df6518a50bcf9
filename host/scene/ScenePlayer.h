// Plays a scene through instances of a module in this process: creates
// the nodes, carries out the actions before their blocks, hands each node
// its MIDI and runs every open node once per block in creation order (as a
// host runs its tracks), and ends with the summary table. Optionally in
// real time, with the editors on $DISPLAY, a screenshot, MIDI files.
#pragma once

#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/Host.h"
#include "host/Module.h"
#include "host/scene/ProgressLine.h"
#include "host/scene/Scene.h"
#include "host/scene/SceneNode.h"
#include "host/scene/SceneTranscript.h"
#include "host/scene/SceneWindow.h"

typedef struct _XDisplay Display;

namespace tarvenna::host {

struct ScenePlayOptions {
    // Block by block lines; off for quiet runs.
    bool transcript = true;
    // Blocks at the pace of the sample rate, with a progress line on `err`.
    bool realTime = false;
    // Whether `err` is a terminal, for the progress line.
    bool terminal = false;
    // A window with every node's editor from the start; in real time, the
    // run goes on after the scene until the window is closed.
    bool gui = false;
    // Where the window is saved as PNG at the end (implies the window).
    std::string screenshot;
    // How long the editors settle before the screenshot.
    int settleMilliseconds = 1000;
    // effEditOpen gets 0 for the display whatever the scene says.
    bool displayZero = false;
    // Every node's host output as "instance-N.mid" in this folder.
    std::string midiOutFolder;
    // Before the scene, silent blocks until SIGUSR1; after it, silent
    // blocks until SIGINT or SIGTERM (PlaySignals.h). Both in real time.
    bool waitStart = false;
    bool playOn = false;
};

// Exit codes of a play.
constexpr int kScenePassed = 0;
constexpr int kSceneFailed = 1;

class ScenePlayer {
public:
    ScenePlayer(const Scene& scene, const HostConfig& config, ScenePlayOptions options,
                std::ostream& out, std::ostream& err);
    // Closes whatever is still open and unloads the module.
    ~ScenePlayer();

    ScenePlayer(const ScenePlayer&) = delete;
    ScenePlayer& operator=(const ScenePlayer&) = delete;

    // kScenePassed, or kSceneFailed when the module does not load, a note
    // hangs, a silent node got MIDI or an action could not be carried out.
    int Play(const std::string& modulePath);

private:
    bool WantsWindow() const { return options.gui || !options.screenshot.empty(); }
    bool CreateNode(const SceneNodeSetup& setup);
    void RunActions(long block);
    void Perform(const SceneAction& action);
    void PerformOnNode(const SceneAction& action, SceneNode& node);
    void SaveChunk(const SceneAction& action, SceneNode& node);
    void LoadChunk(const SceneAction& action, SceneNode& node);
    void OpenEditor(const SceneAction& action, SceneNode& node);
    void CloseNode(SceneNode& node);
    void PlayBlock(long block);
    void AfterBlock();
    void AwaitBlock(long block);
    void WaitForStart();
    void PlayOn();
    bool PlaysOn() const;
    bool TakeScreenshot();
    bool EnsureWindow();
    void WriteMidiFiles();
    void Finish();
    void Fail(const std::string& place, const std::string& what);
    std::string OutputPath(const SceneNode& node) const;
    void ShowProgress(bool force);

    const Scene& scene;
    ScenePlayOptions options;
    std::ostream& out;
    std::ostream& err;
    Module module;
    Host host;
    BlockClock clock;
    SceneTranscript transcript;
    ProgressLine progress;
    Display* display = nullptr;
    bool displayTried = false;
    std::unique_ptr<SceneWindow> window;
    std::vector<std::unique_ptr<SceneNode>> nodes;
    std::vector<SceneNode*> panicked;
    std::size_t nextAction = 0;
    long played = 0;
    bool failed = false;
    std::chrono::steady_clock::time_point started;
};

}  // namespace tarvenna::host
