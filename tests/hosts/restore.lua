-- ardour7-lua restore.lua HERE FOLDER save WINDOW-FILE
-- ardour7-lua restore.lua HERE FOLDER load
-- ardour7-lua restore.lua HERE FOLDER settings A=Send:3:on B=...
-- save: a new session "restore" in FOLDER with the three tracks set apart
-- from the defaults in every setting, A's and C's Tarvenna the LV2 plug-in
-- and B's the VST 2 one, saved; the editor window names of B and of C
-- ("P-<route id>-<Tarvenna id>") are written to WINDOW-FILE, a line each.
-- load: the saved session, loaded in a new process, has every node's mode,
-- port and Thru back, and relays as it did before saving.
-- settings: the session in FOLDER (saved by anyone) has the given settings.
local here, folder, mode = arg[1], arg[2], arg[3]
local rig = dofile(here .. "/rig.lua")
local NAME = "restore"

-- Every node away from a fresh instance (Send, port 1, Thru off) in at
-- least one setting, so that a lost chunk shows.
local SAVED = {
	A = { "Send", 3, true },
	B = { "Receive", 3, false },
	C = { "Receive", 6, true },
}

local function expect_layout(layout)
	for _, name in ipairs(rig.TRACKS) do
		local s = layout[name]
		if s then
			rig.expect_settings(rig.nodes[name], s[1], s[2], s[3])
		end
		print("  " .. rig.describe(rig.nodes[name]))
	end
end

local function relay_as_saved()
	rig.context("LV2 A's note reaches VST 2 B (port 3) and comes back to A (Thru), not C (port 6)")
	rig.one_note(rig.nodes.A, rig.nodes.B, 60, rig.nodes.A)
	rig.context("C's own note plays C's synth through Thru")
	rig.one_note(rig.nodes.C, rig.nodes.C, 64)
end

local function save(window_file)
	rig.run("save")
	if not create_session(folder, NAME, 48000) then
		rig.fail("Ardour could not create a session in %s", folder)
	end
	rig.build(rig.formats("A=LV2,C=LV2"))
	for _, name in ipairs(rig.TRACKS) do
		local s = SAVED[name]
		rig.configure(rig.nodes[name], s[1], s[2], s[3])
	end
	rig.cycles(rig.SETTLE)
	expect_layout(SAVED)
	relay_as_saved()
	local out = io.open(window_file, "w")
	for _, name in ipairs({ "B", "C" }) do
		local node = rig.nodes[name]
		out:write(string.format("P-%s-%s\n", node.route:to_stateful():id():to_s(),
			node.tarvenna:to_stateful():id():to_s()))
	end
	out:close()
	rig.expect("Session:save_state", Session:save_state("", false, false, false, false, false), 0)
	print("PASS saved " .. folder .. "/" .. NAME .. ".ardour")
end

local function load()
	if not load_session(folder, NAME) then
		rig.fail("Ardour could not load %s/%s", folder, NAME)
	end
	rig.find()
	rig.cycles(rig.SETTLE)
end

local function parse(text)
	local name, m, p, t = text:match("^(%a)=(%a+):(%d):(%a+)$")
	if not name then
		rig.fail("bad setting %s (wanted like A=Send:3:on)", text)
	end
	return name, { m, tonumber(p), t == "on" }
end

if mode == "save" then
	save(arg[4])
elseif mode == "load" then
	rig.run("reload")
	load()
	expect_layout(SAVED)
	relay_as_saved()
	print("PASS every node's mode, port and Thru restored; the relay works after the reload")
elseif mode == "settings" then
	rig.run("saved settings")
	load()
	local layout = {}
	for i = 4, #arg do
		local name, s = parse(arg[i])
		layout[name] = s
	end
	expect_layout(layout)
	print("PASS the saved session has " .. table.concat(arg, " ", 4))
else
	print("FAIL unknown mode " .. tostring(mode))
	os.exit(2)
end
rig.finish(0)
