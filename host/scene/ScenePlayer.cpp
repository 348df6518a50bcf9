// The run of a scene: nodes, blocks, time, the window, the end.
#include "host/scene/ScenePlayer.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <thread>

#include "host/scene/PlaySignals.h"
#include "host/PngWriter.h"
#include "host/RelayParameters.h"
#include "host/scene/SceneSummary.h"
#include "host/XErrorFilter.h"

namespace tarvenna::host {

namespace {

using Clock = std::chrono::steady_clock;

std::string Seconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

}  // namespace

ScenePlayer::ScenePlayer(const Scene& scene, const HostConfig& config, ScenePlayOptions options,
                         std::ostream& out, std::ostream& err)
    : scene(scene),
      options(std::move(options)),
      out(out),
      err(err),
      host(config),
      clock{scene.blockSize, scene.sampleRate},
      transcript(out, scene.blocks, this->options.transcript && !this->options.realTime),
      progress(err, this->options.terminal)
{
}

ScenePlayer::~ScenePlayer() { Finish(); }

void ScenePlayer::Fail(const std::string& place, const std::string& what)
{
    progress.Finish();
    err << "tarvenna-host: " << scene.file << ": " << (place.empty() ? "" : place + ": ") << what
        << '\n';
    failed = true;
}

bool ScenePlayer::EnsureWindow()
{
    if (window)
        return window->Usable();
    if (!displayTried) {
        displayTried = true;
        display = XOpenDisplay(nullptr);
        // Until the module is gone: a plug-in closing an editor whose
        // windows were destroyed with ours errs on this connection.
        QuietXErrors(display);
    }
    if (display == nullptr)
        return false;
    const bool passDisplay = scene.host.passesDisplay.value_or(true) && !options.displayZero;
    window =
        std::make_unique<SceneWindow>(display, SceneNodeCount(scene), scene.title, passDisplay);
    return window->Usable();
}

bool ScenePlayer::CreateNode(const SceneNodeSetup& setup)
{
    const int number = static_cast<int>(nodes.size()) + 1;
    nodes.push_back(std::make_unique<SceneNode>(number, setup));
    std::string error;
    if (!nodes.back()->Create(host, module, clock, error)) {
        Fail("", error);
        return false;
    }
    if (window && WantsWindow() && !window->OpenEditor(number, nodes.back()->Instance()->Effect()))
        Fail("", "the editor of instance " + std::to_string(number) + " did not open");
    return true;
}

void ScenePlayer::RunActions(long block)
{
    transcript.Begin(block);
    for (; nextAction < scene.actions.size() && scene.actions[nextAction].block <= block;
         ++nextAction)
        Perform(scene.actions[nextAction]);
}

void ScenePlayer::PlayBlock(long block)
{
    for (auto& node : nodes) {
        const std::vector<MidiMessage> input = node->InputFor(block);
        if (!node->IsOpen())
            continue;
        transcript.Input(node->Number(), input);
        node->CountInput(input);
        node->Instance()->RunBlock(input, clock.frames);
    }
    bool anyOutput = false;
    for (auto& node : nodes) {
        const std::vector<VstMidiEvent> events =
            node->TakeOutput(block, clock, !OutputPath(*node).empty());
        transcript.Output(node->Number(), events);
        anyOutput = anyOutput || !events.empty();
    }
    transcript.EndBlock(anyOutput);
    played = block;
}

// Panic is a button: on for one block, then off again.
void ScenePlayer::AfterBlock()
{
    for (SceneNode* node : panicked)
        if (HostInstance* instance = node->Instance())
            instance->SetParameter(kParameterPanic, 0.0f);
    panicked.clear();
    if (window)
        window->Pump(0);
}

void ScenePlayer::ShowProgress(bool force)
{
    if (!options.realTime)
        return;
    const std::string now = Seconds(clock.SecondsAt(played + 1, 0));
    const std::string total = Seconds(clock.SecondsAt(scene.blocks + 1, 0));
    if (played <= scene.blocks)
        progress.Update("block " + std::to_string(played) + " of " + std::to_string(scene.blocks) +
                            ", " + now + " of " + total,
                        force);
    else
        progress.Update("block " + std::to_string(played) + ", " + now + " (the scene ended at " +
                            total + ")",
                        force);
}

// Block n starts (n - 1) block lengths after the first; the window is
// served while the host waits.
void ScenePlayer::AwaitBlock(long block)
{
    if (!options.realTime)
        return;
    const auto due = started + std::chrono::duration_cast<Clock::duration>(
                                   std::chrono::duration<double>(clock.SecondsAt(block, 0)));
    for (auto now = Clock::now(); now < due; now = Clock::now()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - now);
        if (window)
            window->Pump(static_cast<int>(left.count()));
        else
            std::this_thread::sleep_until(due);
    }
    ShowProgress(false);
}

// The nodes run as a host runs them while it waits for its transport:
// silent blocks at the scene's pace, whatever they hand over dropped.
void ScenePlayer::WaitForStart()
{
    if (!options.waitStart)
        return;
    progress.Finish();
    err << "Waiting for SIGUSR1 to start the scene.\n";
    const auto length = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(clock.SecondsAt(2, 0)));
    for (auto due = Clock::now(); !StartAsked() && !StopAsked(); due += length) {
        for (auto& node : nodes)
            if (HostInstance* instance = node->Instance()) {
                instance->RunBlock(std::vector<MidiMessage>{}, clock.frames);
                instance->ClearRecorded();
            }
        std::this_thread::sleep_until(due + length);
    }
}

bool ScenePlayer::PlaysOn() const
{
    if (window && window->Closed())
        return false;
    return options.playOn ? !StopAsked() : window && window->Usable();
}

// After the scene the host keeps playing silent blocks, so that the
// panels stay alive and clicks on them still reach the other nodes, until
// the window is closed (or, with --play-on, until it is told to stop:
// MIDI from other programs may still come in through the JACK bridge).
void ScenePlayer::PlayOn()
{
    progress.Finish();
    err << (options.playOn ? "The scene is over; the host plays on until SIGINT or SIGTERM.\n"
                           : "The scene is over; the host plays on until its window is closed.\n");
    for (long block = played + 1; PlaysOn(); ++block) {
        AwaitBlock(block);
        transcript.Begin(block);
        PlayBlock(block);
        AfterBlock();
    }
}

bool ScenePlayer::TakeScreenshot()
{
    if (!window || !window->Usable()) {
        Fail("", "no window to save: the X display " + std::string(XDisplayName(nullptr)) +
                     " cannot be opened");
        return false;
    }
    window->Pump(options.settleMilliseconds);
    RgbImage image;
    if (!window->Capture(image) || !WritePng(options.screenshot, image)) {
        Fail("", "cannot save the screenshot to " + options.screenshot);
        return false;
    }
    out << "\nScreenshot of the editors: " << options.screenshot << '\n';
    return true;
}

int ScenePlayer::Play(const std::string& modulePath)
{
    if (!module.Load(modulePath)) {
        err << "tarvenna-host: " << module.Error() << '\n';
        return kSceneFailed;
    }
    if (WantsWindow() && !EnsureWindow())
        Fail("", "the editors need an X display, and " + std::string(XDisplayName(nullptr)) +
                     " cannot be opened");
    for (const SceneNodeSetup& setup : scene.nodes)
        CreateNode(setup);
    WaitForStart();
    started = Clock::now();
    RunActions(0);
    // Closing the window ends the run where it is, and so does a stop
    // signal when the host watches for one.
    const auto stopped = [this] { return (window && window->Closed()) || StopAsked(); };
    for (long block = 1; block <= scene.blocks && !stopped(); ++block) {
        AwaitBlock(block);
        RunActions(block);
        PlayBlock(block);
        AfterBlock();
    }
    ShowProgress(true);
    if (!stopped()) {
        RunActions(scene.blocks + 1);
        AfterBlock();
    }
    if (!options.screenshot.empty())
        TakeScreenshot();
    else if (!stopped() && (options.playOn || (options.gui && options.realTime && PlaysOn())))
        PlayOn();
    progress.Finish();
    WriteMidiFiles();
    if (!PrintSceneSummary(out, nodes, played, clock))
        failed = true;
    Finish();
    return failed ? kSceneFailed : kScenePassed;
}

std::string ScenePlayer::OutputPath(const SceneNode& node) const
{
    if (!options.midiOutFolder.empty())
        return options.midiOutFolder + "/instance-" + std::to_string(node.Number()) + ".mid";
    return node.Setup().output;
}

void ScenePlayer::WriteMidiFiles()
{
    bool first = true;
    for (const auto& node : nodes) {
        const std::string path = OutputPath(*node);
        if (path.empty())
            continue;
        std::string error;
        if (!WriteMidiFile(path, node->Kept(), clock.SecondsAt(played + 1, 0), error)) {
            Fail("", error);
            continue;
        }
        out << (first ? "\n" : "") << "What instance " << node->Number()
            << " handed its host: " << path << '\n';
        first = false;
    }
}

// Editors close before their nodes, nodes before the module goes, and the
// display last: a plug-in given the host's display keeps it until then.
void ScenePlayer::Finish()
{
    window.reset();
    for (auto& node : nodes)
        node->Close(played);
    nodes.clear();
    if (module.Loaded() && !module.Unload()) {
        err << "tarvenna-host: " << module.Error() << '\n';
        failed = true;
    }
    if (display != nullptr) {
        UnquietXErrors(display);
        XCloseDisplay(display);
    }
    display = nullptr;
}

}  // namespace tarvenna::host
