// A private X server for a test program or a benchmark: starts Xvfb on a free display
// number, waits until it answers, and stops it again.
#pragma once

#include "host/testing/ExportedVariable.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace tarvenna::host {

class Xvfb {
public:
    // Screens as Xvfb's "-screen" takes them, e.g. {"1280x1024x24"}; extra
    // arguments such as "+extension", "XINERAMA" go after them.
    explicit Xvfb(std::vector<std::string> screens = {"1280x1024x24"},
                  std::vector<std::string> extraArguments = {});
    ~Xvfb();

    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    // True once the server accepts connections; Error() says why not.
    bool Running() const { return pid > 0; }
    const std::string& Error() const { return error; }
    // ":<n>", the value to connect to.
    const std::string& Name() const { return name; }

    // Points DISPLAY at this server (the previous value is restored by the
    // destructor).
    void ExportDisplay();

private:
    bool Start(const std::vector<std::string>& arguments);
    bool OwnsLockFile() const;
    bool WaitUntilReady();
    void Stop();

    pid_t pid = -1;
    std::string name;
    std::string error;
    ExportedVariable display{"DISPLAY"};
};

}  // namespace tarvenna::host
