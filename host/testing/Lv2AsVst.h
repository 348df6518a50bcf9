// An LV2 instance of the module behind a VST 2 record, so that what drives
// VST 2 nodes through the host library (the balance rig, the stress
// driver) drives LV2 nodes with the same actions. Each VST 2 call becomes
// what an LV2 host does for it:
//
// - parameters become control-port values, copied into the ports on the
//   audio thread before each run (a host's GUI thread never writes a port
//   the plug-in is reading); Panic is a trigger, held for one run;
// - the events of effProcessEvents wait for the next run and go in as its
//   atom sequence, each raised to the frame of the one before it where the
//   VST 2 block was out of order (a sequence must not be);
// - what comes out of the run is handed to the host callback as a VST 2
//   block (audioMasterProcessEvents);
// - switching off and on is deactivate and activate (events handed over
//   before a switch-off or while off are dropped, as the run they were for
//   never comes); a bank chunk is saved and restored through LV2's state, never
//   during a run, and the controls then follow what it set, as an LV2
//   host's ports follow a restored state; a program chunk has no LV2
//   counterpart and is refused.
//
// Audio is not passed through: the instance runs on buffers of its own.
#pragma once

#include "plugin/VstRecords.h"

#include <lv2/core/lv2.h>

namespace tarvenna::host {

// An InstanceFactory's work (Host::Instantiate): null when the module
// refuses the instance. effClose destroys it.
AEffect* MakeLv2AsVst(const LV2_Descriptor* descriptor, audioMasterCallback host);

}  // namespace tarvenna::host
