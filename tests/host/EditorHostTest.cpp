// The built module's editor hosted in a window of our own on a private X
// server, as a Linux host does it, and the PNG files of its screenshots.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "host/EditorHost.h"
#include "host/cli/EditorSession.h"
#include "host/Host.h"
#include "host/PngWriter.h"
#include "host/testing/Xvfb.h"
#include "tests/support/ModuleOnXvfb.h"
#include "tests/support/WaitUntil.h"

namespace tarvenna::host {

void PrintTo(EventDelivery delivery, std::ostream* out)
{
    *out << (delivery == EventDelivery::Reparent ? "Reparent" : "Property");
}

namespace test {
namespace {

using tarvenna::test::kWaitLimit;
using tarvenna::test::WaitUntil;

std::vector<::Window> ChildrenOf(Display* display, ::Window window)
{
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    std::vector<::Window> list;
    if (XQueryTree(display, window, &root, &parent, &children, &count) != 0 && children) {
        list.assign(children, children + count);
        XFree(children);
    }
    return list;
}

std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t Big32(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
           std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

EditorHostOptions Options(bool passDisplay, EventDelivery delivery, bool sizeToRect = true)
{
    EditorHostOptions options;
    options.passDisplay = passDisplay;
    options.delivery = delivery;
    options.sizeToRect = sizeToRect;
    return options;
}

class EditorHostTest : public tarvenna::test::ModuleOnXvfb {
protected:
    void TearDown() override
    {
        editor.reset();
        instance.reset();
        ModuleOnXvfb::TearDown();
    }

    void Start(const EditorHostOptions& options, bool canSizeWindow = true,
               bool resizeEditorWindow = true)
    {
        SetCanSizeWindow(host.Defaults(), canSizeWindow);
        host.Defaults().resizeEditorWindow = resizeEditorWindow;
        instance = host.Instantiate(module);
        ASSERT_TRUE(instance) << host.LastError();
        instance->Open();
        editor = std::make_unique<EditorHost>(instance->Effect(), display, options);
    }

    bool Pumping(const std::function<bool()>& condition)
    {
        return WaitUntil(condition, kWaitLimit, [this] { editor->Pump(10); });
    }
    bool HasChild() { return !ChildrenOf(display, editor->TopWindow()).empty(); }
    WindowSize Size()
    {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, editor->TopWindow(), &attributes);
        return {attributes.width, attributes.height};
    }
    bool SizeIs(int width, int height)
    {
        const WindowSize size = Size();
        return size.width == width && size.height == height;
    }

    std::unique_ptr<HostInstance> instance;
    std::unique_ptr<EditorHost> editor;
};

TEST_F(EditorHostTest, OpensInItsWindowSizedToTheEditorRectangle)
{
    ASSERT_NO_FATAL_FAILURE(Start(Options(true, EventDelivery::Property)));
    ASSERT_TRUE(editor->Open());
    const EditorHostRecord record = editor->Recorded();
    EXPECT_EQ(record.openAnswer, 1);
    ASSERT_TRUE(record.rect.has_value());
    EXPECT_EQ(record.rect->right - record.rect->left, 170);
    EXPECT_EQ(record.rect->bottom - record.rect->top, 200);
    EXPECT_TRUE(SizeIs(170, 200));

    const std::string path = ::testing::TempDir() + "editor-host-screenshot.png";
    ASSERT_TRUE(editor->Screenshot(path));
    const std::vector<std::uint8_t> png = ReadFile(path);
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(Big32(png, 16), 170u);
    EXPECT_EQ(Big32(png, 20), 200u);
    std::remove(path.c_str());
}

// The plug-in resizes the host's window itself unless the host says that it
// sizes windows; then only the host's answer to the request resizes it.
TEST_F(EditorHostTest, PluginResizesTheWindowOfAHostThatCannot)
{
    ASSERT_NO_FATAL_FAILURE(Start(Options(true, EventDelivery::Property, false), false));
    ASSERT_TRUE(editor->Open());
    EXPECT_TRUE(Pumping([this] { return SizeIs(170, 200); }))
        << Size().width << " x " << Size().height;
    EXPECT_TRUE(editor->Recorded().requestedSizes.empty());
}

TEST_F(EditorHostTest, HostThatCanResizesItsWindowOnRequest)
{
    ASSERT_NO_FATAL_FAILURE(Start(Options(true, EventDelivery::Property, false), true, true));
    ASSERT_TRUE(editor->Open());
    EXPECT_TRUE(SizeIs(170, 200));
    const std::vector<WindowSize> sizes = editor->Recorded().requestedSizes;
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].width, 170);
    EXPECT_EQ(sizes[0].height, 200);
}

TEST_F(EditorHostTest, PluginLeavesTheWindowToAHostThatCan)
{
    ASSERT_NO_FATAL_FAILURE(Start(Options(true, EventDelivery::Property, false), true, false));
    ASSERT_TRUE(editor->Open());
    editor->Pump(200);
    EXPECT_TRUE(SizeIs(320, 240)) << Size().width << " x " << Size().height;
    const std::vector<SizeRequest> asked = instance->Recorded().sizeWindow;
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].width, 170);
    EXPECT_EQ(asked[0].height, 200);
}

// Whether the host passes its display, and how it finds the procedure.
class EditorHostModes : public EditorHostTest,
                        public ::testing::WithParamInterface<std::tuple<bool, EventDelivery>> {};

TEST_P(EditorHostModes, EditorWindowComesWithOpenAndGoesWithClose)
{
    const auto [passDisplay, delivery] = GetParam();
    ASSERT_NO_FATAL_FAILURE(Start(Options(passDisplay, delivery)));
    ASSERT_TRUE(editor->Open());
    ASSERT_TRUE(Pumping([this] { return HasChild(); }));
    ASSERT_TRUE(editor->Close());
    EXPECT_TRUE(Pumping([this] { return !HasChild(); }));
    ASSERT_TRUE(editor->Open());
    ASSERT_TRUE(Pumping([this] { return HasChild(); }));
    const ::Window child = ChildrenOf(display, editor->TopWindow()).front();

    // Coming back, the editor's window is reparented into ours, which is
    // when a reparenting host learns its procedure.
    if (delivery == EventDelivery::Reparent) {
        EXPECT_TRUE(Pumping([&] {
            const std::vector<unsigned long> learnt = editor->Recorded().procedureWindows;
            return std::find(learnt.begin(), learnt.end(), child) != learnt.end();
        }));
    }
    // Only on the host's display do the editor's events reach the host.
    if (passDisplay) {
        EXPECT_TRUE(Pumping([this] { return editor->Recorded().eventsDispatched > 0; }));
    }
    editor->Pump(50);
    const EditorHostRecord record = editor->Recorded();
    EXPECT_EQ(record.opens, 2);
    EXPECT_EQ(record.closes, 1);
    EXPECT_GT(record.idles, 0);
}

INSTANTIATE_TEST_SUITE_P(DisplayAndDelivery, EditorHostModes,
                         ::testing::Combine(::testing::Values(false, true),
                                            ::testing::Values(EventDelivery::Property,
                                                              EventDelivery::Reparent)),
                         [](const ::testing::TestParamInfo<std::tuple<bool, EventDelivery>>& info) {
                             const bool passDisplay = std::get<0>(info.param);
                             const bool reparent =
                                 std::get<1>(info.param) == EventDelivery::Reparent;
                             return std::string(passDisplay ? "HostDisplay" : "DisplayZero") +
                                    (reparent ? "Reparent" : "Property");
                         });

// What the command line runs: a screenshot of the editor's window.
TEST(EditorSession, SavesAScreenshotOfTheEditorWindow)
{
    Xvfb server;
    ASSERT_TRUE(server.Running()) << server.Error();
    server.ExportDisplay();
    const std::string path = ::testing::TempDir() + "editor-session.png";
    EditorSessionOptions options;
    options.screenshot = path;
    options.milliseconds = 200;
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(RunEditorSession(TARVENNA_MODULE_PATH, HostConfig{}, options, out, err), 0)
        << err.str();
    EXPECT_NE(out.str().find("editor rectangle: 170 x 200"), std::string::npos) << out.str();
    const std::vector<std::uint8_t> png = ReadFile(path);
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(Big32(png, 16), 170u);
    EXPECT_EQ(Big32(png, 20), 200u);
    std::remove(path.c_str());
}

// ---- PNG files ---------------------------------------------------------------

TEST(PngWriter, ChecksumsMatchTheirReferenceValues)
{
    const std::string digits = "123456789";
    const std::string word = "Wikipedia";
    EXPECT_EQ(Crc32(reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size()),
              0xCBF43926u);
    EXPECT_EQ(Adler32(reinterpret_cast<const std::uint8_t*>(word.data()), word.size()),
              0x11E60398u);
}

// A pattern that does not compress to nothing; ImageMagick decodes it
// independently of libpng.
TEST(PngWriter, ImageMagickReadsBackTheSamePixels)
{
    RgbImage image;
    image.width = 200;
    image.height = 120;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            image.pixels.insert(image.pixels.end(),
                                {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y * 2),
                                 static_cast<std::uint8_t>(x ^ y)});
    const std::string path = ::testing::TempDir() + "png-writer-round-trip.png";
    ASSERT_TRUE(WritePng(path, image));

    const std::vector<std::uint8_t> file = ReadFile(path);
    const std::vector<std::uint8_t> signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GE(file.size(), 33u);
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), file.begin()));
    EXPECT_EQ(Big32(file, 16), 200u);
    EXPECT_EQ(Big32(file, 20), 120u);
    // The header chunk: 8 bits per channel, RGB, and its checksum over
    // type and data.
    EXPECT_EQ(file[24], 8);
    EXPECT_EQ(file[25], 2);
    EXPECT_EQ(Big32(file, 29), Crc32(file.data() + 12, 4 + 13));
    EXPECT_LT(file.size(), image.pixels.size()) << "the rows are compressed";

    std::vector<std::uint8_t> decoded;
    if (std::FILE* pipe = popen(("convert '" + path + "' -depth 8 rgb:-").c_str(), "r")) {
        std::uint8_t buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            decoded.insert(decoded.end(), buffer, buffer + n);
        EXPECT_EQ(pclose(pipe), 0);
    }
    EXPECT_TRUE(decoded == image.pixels) << "decoded " << decoded.size() << " bytes";
    std::remove(path.c_str());

    image.pixels.pop_back();
    EXPECT_FALSE(WritePng(path, image));
}

}  // namespace
}  // namespace test
}  // namespace tarvenna::host
