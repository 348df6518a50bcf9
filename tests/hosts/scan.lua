-- ardour7-lua scan.lua HERE FOLDER MODULE
-- What Ardour's plug-in manager made of the scanner's cache entry for the
-- module: an LXVST instrument "Tarvenna" with 2 audio ins and outs, MIDI in
-- and out, and 4 parameters once an instance exists (the editor flag is
-- checked in the scanner's cache entry by test-hosts: Ardour's Lua does not
-- show it).
local here, folder, module = arg[1], arg[2], arg[3]
local rig = dofile(here .. "/rig.lua")
rig.run("scan")

if not create_session(folder, "scan", 48000) then
	rig.fail("Ardour could not create a session in %s", folder)
end
local found = nil
for info in ARDOUR.LuaAPI.list_plugins():iter() do
	if info.type == ARDOUR.PluginType.LXVST and info.path == module then
		found = info
	end
end
if not found then
	rig.fail("Ardour's plug-in list has no LXVST plug-in from %s", module)
end
print(string.format("  %s by %s, category %s, ID %d, %s", found.name, found.creator, found.category,
	found.unique_id, found.path))
print(string.format("  inputs: %d audio, %d MIDI; outputs: %d audio, %d MIDI; instrument: %s",
	found.n_inputs:n_audio(), found.n_inputs:n_midi(), found.n_outputs:n_audio(),
	found.n_outputs:n_midi(), tostring(found:is_instrument())))
rig.expect("name", found.name, "Tarvenna")
rig.expect("category", found.category, "Instrument")
rig.expect("unique ID", found.unique_id, "1364348517") -- the characters QRNe
rig.expect("audio inputs", found.n_inputs:n_audio(), 2)
rig.expect("audio outputs", found.n_outputs:n_audio(), 2)
rig.expect("MIDI inputs", found.n_inputs:n_midi(), 1)
rig.expect("MIDI outputs", found.n_outputs:n_midi(), 1)
rig.expect("instrument", found:is_instrument(), true)

local proc = ARDOUR.LuaAPI.new_plugin(Session, "Tarvenna", ARDOUR.PluginType.LXVST, "")
if proc:isnil() then
	rig.fail("Ardour could not instantiate Tarvenna")
end
local plugin = proc:to_insert():plugin(0)
print(string.format("  instance: %d parameters", plugin:parameter_count()))
rig.expect("parameters", plugin:parameter_count(), 4)
print("PASS Ardour lists Tarvenna as an instrument with 2 audio ins and outs, MIDI in and out")
rig.finish(0)
