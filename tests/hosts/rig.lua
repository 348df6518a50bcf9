-- The rig the session scripts share: three MIDI tracks with Tarvenna, the
-- probes that count what passes them, MIDI played into a track, waiting in
-- process cycles and the checks. Loaded with dofile; runs inside ardour7-lua.
local rig = {}

-- Peaks are kept by the probe in millionths of full scale.
rig.HEARD = 10000 -- 0.01: a note of the synth is far above it
rig.SILENT = 100 -- 0.0001

rig.RELAY = 30 -- cycles a relayed message may take, far above the one or two it needs
rig.SETTLE = 4 -- cycles after a change: a flush spans two

rig.TRACKS = { "A", "B", "C" }
local PARAMETER = { mode = 0, port = 1, thru = 2, panic = 3 }

local context, run = "", ""

-- Every failure names the run (a repetition, a phase) and the step in it.
function rig.run(text)
	run = text .. ", "
end

function rig.context(text)
	context = text
end

-- os.exit skips what ardour7-lua does before it returns: the engine is
-- stopped here, so that no process thread of it still runs while the
-- libraries' static objects are destroyed (an i386 run under qemu once
-- crashed after its PASS, at exit).
function rig.finish(code)
	pcall(close_session)
	pcall(function() AudioEngine:stop(false) end)
	os.exit(code)
end

function rig.fail(fmt, ...)
	print(string.format("FAIL [%s%s] " .. fmt, run, context, ...))
	rig.finish(1)
end

function rig.expect(what, found, wanted)
	if found ~= wanted then
		rig.fail("%s: expected %s, found %s", what, tostring(wanted), tostring(found))
	end
end

-- The graph's process threads of this process, by their thread names.
function rig.process_threads()
	local stat = io.open("/proc/self/stat")
	local pid = stat:read("a"):match("^(%d+)")
	stat:close()
	local count = 0
	local list = io.popen("ls /proc/" .. pid .. "/task")
	for task in list:lines() do
		local comm = io.open("/proc/" .. pid .. "/task/" .. task .. "/comm")
		if comm then
			if (comm:read("l") or ""):match("^RT%-") then
				count = count + 1
			end
			comm:close()
		end
	end
	list:close()
	return count
end

local function add(route, proc, what)
	if proc:isnil() then
		rig.fail("Ardour could not make %s for track %s", what, route:name())
	end
	if route:add_processor_by_index(proc, -1, nil, true) ~= 0 then
		rig.fail("Ardour did not insert %s on track %s", what, route:name())
	end
	return proc
end

local function probe_cells(proc)
	return proc:to_insert():plugin(0):to_luaproc():shmem():to_int(0):array()
end

local function new_track(name)
	local list = Session:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
		ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), false, ARDOUR.PluginInfo(), nil, nil, 1,
		name, ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, false)
	if list:size() ~= 1 then
		rig.fail("Ardour did not create MIDI track %s", name)
	end
	return list:front()
end

-- A node: its route, its MIDI track (looked up once: calling to_track() for
-- every event has crashed ardour7-lua in long runs), its Tarvenna (as an
-- LXVST or an LV2 plug-in), the probe after Tarvenna and, where there is a
-- synth, the probe after the synth.
local function node_of(route, tarvenna, midi_probe, audio_probe)
	return {
		name = route:name(),
		route = route,
		track = route:to_track():to_midi_track(),
		tarvenna = tarvenna,
		lv2 = tarvenna:to_insert():type() == ARDOUR.PluginType.LV2,
		midi = probe_cells(midi_probe),
		audio = audio_probe and probe_cells(audio_probe) or nil,
		parser = ARDOUR.RawMidiParser(),
	}
end

-- "A=LV2,C=LV2": the tracks whose Tarvenna is the LV2 plug-in; the others'
-- is the LXVST one.
function rig.formats(text)
	local formats = {}
	for name, format in (text or ""):gmatch("(%a)=(%w+)") do
		formats[name] = format
	end
	return formats
end

-- A: Tarvenna, probe. B and C: Tarvenna, probe, synth, probe. `formats`
-- (from rig.formats) picks each track's Tarvenna.
function rig.build(formats)
	local nodes = {}
	for _, name in ipairs(rig.TRACKS) do
		local route = new_track(name)
		local lv2 = formats and formats[name] == "LV2"
		local type = lv2 and ARDOUR.PluginType.LV2 or ARDOUR.PluginType.LXVST
		local tarvenna = add(route, ARDOUR.LuaAPI.new_plugin(Session, "Tarvenna", type, ""),
			lv2 and "Tarvenna (LV2)" or "Tarvenna")
		local midi_probe = add(route, ARDOUR.LuaAPI.new_luaproc(Session, "Tarvenna Probe"), "the probe")
		local audio_probe = nil
		if name ~= "A" then
			add(route, ARDOUR.LuaAPI.new_plugin(Session, "ACE Reasonable Synth", ARDOUR.PluginType.LV2, ""),
				"ACE Reasonable Synth")
			audio_probe = add(route, ARDOUR.LuaAPI.new_luaproc(Session, "Tarvenna Probe"), "the probe")
		end
		nodes[name] = node_of(route, tarvenna, midi_probe, audio_probe)
	end
	rig.nodes = nodes
	return nodes
end

-- The same nodes in a loaded session, found by their names.
function rig.find()
	local nodes = {}
	for _, name in ipairs(rig.TRACKS) do
		local route = Session:route_by_name(name)
		if route:isnil() then
			rig.fail("the loaded session has no track %s", name)
		end
		local tarvenna, probes = nil, {}
		local i = 0
		while not route:nth_plugin(i):isnil() do
			local proc = route:nth_plugin(i)
			if proc:display_name() == "Tarvenna" then
				tarvenna = proc
			elseif proc:display_name() == "Tarvenna Probe" then
				probes[#probes + 1] = proc
			end
			i = i + 1
		end
		if not tarvenna or #probes < (name == "A" and 1 or 2) then
			rig.fail("track %s lost Tarvenna or a probe on reload (%d plug-ins)", name, i)
		end
		nodes[name] = node_of(route, tarvenna, probes[1], probes[2])
	end
	rig.nodes = nodes
	return nodes
end

-- Settings as a VST 2 host sets them: parameter values from 0 to 1. The LV2
-- plug-in's control ports have the same order in their natural units (the
-- port 1 to 8).
function rig.set(node, name, value)
	if node.lv2 and name == "port" then
		value = value * 7 + 1
	end
	if not ARDOUR.LuaAPI.set_processor_param(node.tarvenna, PARAMETER[name], value) then
		rig.fail("Ardour refused to set %s of %s to %s", name, node.name, tostring(value))
	end
end

function rig.configure(node, mode, port, thru)
	rig.set(node, "mode", mode == "Receive" and 1 or 0)
	rig.set(node, "port", (port - 1) / 7)
	rig.set(node, "thru", thru and 1 or 0)
end

-- What the node reports back: "Send"/"Receive", port 1 to 8, Thru.
function rig.settings(node)
	local mode = ARDOUR.LuaAPI.get_processor_param(node.tarvenna, PARAMETER.mode)
	local port = ARDOUR.LuaAPI.get_processor_param(node.tarvenna, PARAMETER.port)
	local thru = ARDOUR.LuaAPI.get_processor_param(node.tarvenna, PARAMETER.thru)
	if node.lv2 then
		port = (port - 1) / 7
	end
	return (mode >= 0.5 and "Receive" or "Send"), math.floor(port * 7 + 0.5) + 1, thru > 0.5
end

function rig.describe(node)
	local mode, port, thru = rig.settings(node)
	return string.format("%s (%s): %s port %d Thru %s", node.name, node.lv2 and "LV2" or "VST 2",
		mode, port, thru and "on" or "off")
end

function rig.expect_settings(node, mode, port, thru)
	local m, p, t = rig.settings(node)
	rig.expect(node.name .. "'s mode", m, mode)
	rig.expect(node.name .. "'s port", p, port)
	rig.expect(node.name .. "'s Thru", t, thru)
end

-- One MIDI message into the node's track input, as a keyboard would play it.
function rig.play(node, status, data1, data2)
	for _, byte in ipairs({ status, data1, data2 }) do
		if node.parser:process_byte(byte) then
			node.track:write_immediate_event(Evoral.EventType.MIDI_EVENT, node.parser:buffer_size(),
				node.parser:midi_buffer())
		end
	end
end

-- The counts of one probe now, to compare later counts with.
function rig.snapshot(cells)
	return {
		on = cells[2], off = cells[3], cc120 = cells[4], bend = cells[5], held = cells[6],
		peak = cells[7], loudest = cells[8], other = cells[9],
	}
end

-- Waits for `cycles` process cycles of the engine, as counted by A's probe
-- (every probe runs once a cycle).
function rig.cycles(cycles)
	local clock = rig.nodes.A.midi
	local target = clock[1] + cycles
	local waited = 0
	while clock[1] < target do
		ARDOUR.LuaAPI.usleep(2000)
		waited = waited + 2
		if waited > 5000 then
			rig.fail("the engine stopped running (no process cycle for 5 s)")
		end
	end
end

-- Polls once a cycle until `done()` holds; false after `cycles` cycles.
function rig.wait_until(done, cycles)
	for _ = 1, cycles do
		if done() then
			return true
		end
		rig.cycles(1)
	end
	return done()
end

-- Count deltas of one probe since `before`, each against its wanted value;
-- keys left out must not have changed either.
function rig.expect_counts(node, kind, before, wanted)
	local now = rig.snapshot(node[kind])
	for _, key in ipairs({ "on", "off", "cc120", "bend", "other" }) do
		local delta = now[key] - before[key]
		rig.expect(string.format("%s's %s probe: %s", node.name, kind, key), delta, wanted[key] or 0)
	end
end

function rig.reset_loudest(node)
	node.audio[8] = 0
end

function rig.expect_heard(node)
	if node.audio[8] < rig.HEARD then
		rig.fail("%s's synth played nothing (peak %d millionths)", node.name, node.audio[8])
	end
end

function rig.expect_not_heard(node)
	if node.audio[8] >= rig.SILENT then
		rig.fail("%s's synth sounded (peak %d millionths) though nothing was sent to it", node.name,
			node.audio[8])
	end
end

-- Every probe: no note held, and every synth silent within 100 cycles.
function rig.expect_quiet()
	for _, name in ipairs(rig.TRACKS) do
		local node = rig.nodes[name]
		rig.expect(name .. "'s notes held after Tarvenna", node.midi[6], 0)
		if node.audio then
			rig.expect(name .. "'s notes held at the synth", node.audio[6], 0)
			if not rig.wait_until(function() return node.audio[7] < rig.SILENT end, 100) then
				rig.fail("%s's synth still sounds 100 cycles after every note-off (peak %d millionths)",
					name, node.audio[7])
			end
		end
	end
end


-- Every probe after Tarvenna now; every synth's loudest peak set back to 0.
function rig.snapshot_all()
	local all = {}
	for _, name in ipairs(rig.TRACKS) do
		local node = rig.nodes[name]
		all[name] = rig.snapshot(node.midi)
		if node.audio then
			rig.reset_loudest(node)
		end
	end
	return all
end

local function describe_all()
	local parts = {}
	for _, name in ipairs(rig.TRACKS) do
		parts[#parts + 1] = rig.describe(rig.nodes[name])
	end
	return table.concat(parts, "; ")
end

-- Waits until `node`'s probe after Tarvenna counted `count` more of `key`.
function rig.await(node, before, key, count, what)
	local ok = rig.wait_until(function()
		return rig.snapshot(node.midi)[key] - before[node.name][key] >= count
	end, rig.RELAY)
	if not ok then
		rig.fail("%s: %s got no %s within %d cycles (%s)", what, node.name, key, rig.RELAY,
			describe_all())
	end
end

-- Each track's counts since `before`; a track not named must have had
-- nothing, and its synth must not have sounded.
function rig.expect_all(before, wanted)
	rig.cycles(rig.SETTLE)
	for _, name in ipairs(rig.TRACKS) do
		local node = rig.nodes[name]
		rig.expect_counts(node, "midi", before[name], wanted[name] or {})
		if node.audio and not (wanted[name] and (wanted[name].on or 0) > 0) then
			rig.expect_not_heard(node)
		end
	end
end

-- A note into `from` reaches `to` (and `also`, when given) only, sounds on
-- its synth, ends with its note-off, and leaves every track silent.
function rig.one_note(from, to, note, also)
	local before = rig.snapshot_all()
	rig.play(from, 0x90, note, 100)
	rig.await(to, before, "on", 1, "note-on")
	local wanted = { [to.name] = { on = 1 } }
	if also then
		wanted[also.name] = { on = 1 }
	end
	rig.expect_all(before, wanted)
	if to.audio then
		rig.expect_heard(to)
	end
	rig.play(from, 0x80, note, 64)
	rig.await(to, before, "off", 1, "note-off")
	wanted[to.name].off = 1
	if also then
		wanted[also.name].off = 1
	end
	rig.expect_all(before, wanted)
	rig.expect_quiet()
end

return rig
