// A private X server for one test program: starts Xvfb on a free display
// number, waits until it answers, and stops it again.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace tarvenna::test {

class Xvfb {
public:
    // Screens as Xvfb's "-screen" takes them, e.g. {"1280x1024x24"}; extra
    // arguments such as "+extension", "XINERAMA" go after them.
    explicit Xvfb(std::vector<std::string> screens = {"1280x1024x24"},
                  std::vector<std::string> extraArguments = {});
    ~Xvfb();

    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    // True once the server accepts connections; error() says why not.
    bool running() const { return pid_ > 0; }
    const std::string& error() const { return error_; }
    // ":<n>", the value to connect to.
    const std::string& name() const { return name_; }

    // Points DISPLAY at this server (the previous value is restored by the
    // destructor).
    void exportDisplay();

private:
    bool start(const std::vector<std::string>& arguments);
    bool ownsLockFile() const;
    bool waitUntilReady();
    void stop();

    pid_t pid_ = -1;
    std::string name_;
    std::string error_;
    bool exported_ = false;
    bool hadDisplay_ = false;
    std::string previousDisplay_;
};

}  // namespace tarvenna::test
