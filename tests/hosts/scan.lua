-- ardour7-lua scan.lua HERE FOLDER MODULE
-- What Ardour's plug-in manager made of the scanner's cache entry for the
-- module, and of the LV2 bundle beside it: an LXVST and an LV2 instrument
-- "Tarvenna", each with 2 audio ins and outs, MIDI in and out, and its
-- parameters once an instance exists (the editor flag is checked in the
-- scanner's cache entry by test-hosts: Ardour's Lua does not show it).
local here, folder, module = arg[1], arg[2], arg[3]
local rig = dofile(here .. "/rig.lua")
rig.run("scan")

if not create_session(folder, "scan", 48000) then
	rig.fail("Ardour could not create a session in %s", folder)
end
local function check(type, label, wanted_id, parameters, matches)
	local found = nil
	for info in ARDOUR.LuaAPI.list_plugins():iter() do
		if info.type == type and matches(info) then
			found = info
		end
	end
	if not found then
		rig.fail("Ardour's plug-in list has no %s Tarvenna", label)
	end
	print(string.format("  %s: %s by %s, category %s, ID %s, %s", label, found.name, found.creator,
		found.category, tostring(found.unique_id), found.path))
	print(string.format("  inputs: %d audio, %d MIDI; outputs: %d audio, %d MIDI; instrument: %s",
		found.n_inputs:n_audio(), found.n_inputs:n_midi(), found.n_outputs:n_audio(),
		found.n_outputs:n_midi(), tostring(found:is_instrument())))
	rig.context(label)
	rig.expect("name", found.name, "Tarvenna")
	rig.expect("unique ID", found.unique_id, wanted_id)
	rig.expect("audio inputs", found.n_inputs:n_audio(), 2)
	rig.expect("audio outputs", found.n_outputs:n_audio(), 2)
	rig.expect("MIDI inputs", found.n_inputs:n_midi(), 1)
	rig.expect("MIDI outputs", found.n_outputs:n_midi(), 1)
	rig.expect("instrument", found:is_instrument(), true)
	local proc = ARDOUR.LuaAPI.new_plugin(Session, "Tarvenna", type, "")
	if proc:isnil() then
		rig.fail("Ardour could not instantiate the %s Tarvenna", label)
	end
	local plugin = proc:to_insert():plugin(0)
	print(string.format("  instance: %d parameters", plugin:parameter_count()))
	rig.expect("parameters", plugin:parameter_count(), parameters)
	return found
end

-- The ID is the characters QRNe. Ardour counts every port of an LV2 plug-in
-- a parameter: 4 audio, 2 MIDI and the 4 controls.
local vst = check(ARDOUR.PluginType.LXVST, "LXVST", "1364348517", 4,
	function(info) return info.path == module end)
rig.expect("LXVST category", vst.category, "Instrument")
check(ARDOUR.PluginType.LV2, "LV2", "urn:tarvenna:relay", 10,
	function(info) return info.unique_id == "urn:tarvenna:relay" end)
print("PASS Ardour lists Tarvenna, LXVST and LV2, as an instrument with 2 audio ins and outs, MIDI in and out")
rig.finish(0)
