#include "host/cli/Commands.h"
#include "host/cli/EditorSession.h"

namespace tarvenna::host::cli {

int RunEditor(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    if (line.arguments.size() != 1) {
        err << "editor: give the module, e.g. build/x86_64/tarvenna.so\n";
        return kExitUsage;
    }
    EditorSessionOptions options;
    options.screenshot = line.screenshot;
    options.displayZero = line.displayZero;
    options.reparent = line.reparent;
    options.pair = line.pair;
    options.milliseconds = line.milliseconds;
    return RunEditorSession(line.arguments[0], line.host, options, out, err) == 0 ? kExitOk
                                                                                  : kExitFailed;
}

}  // namespace tarvenna::host::cli
