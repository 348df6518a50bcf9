-- ardour7-lua relay.lua HERE SESSIONS THREADS REPETITIONS [FORMATS]
-- A headless session of three MIDI tracks on the dummy backend: A's Tarvenna
-- sends, B and C receive and play a synth each. Every repetition plays the
-- same scenes and checks, by the probes, what each track was handed and
-- whether its synth sounded. With several process threads Ardour runs the
-- tracks in any order, so a receiver may get its sender's MIDI in the same
-- cycle or the next one: every wait below allows for either. FORMATS
-- ("B=LV2,C=LV2") makes those tracks' Tarvenna the LV2 plug-in: LV2 and
-- VST 2 nodes relay to each other as one relay.
local here, sessions = arg[1], arg[2]
local threads, repetitions = tonumber(arg[3]), tonumber(arg[4])
local formats = arg[5] or ""
local rig = dofile(here .. "/rig.lua")

local N

local function start_positions()
	rig.context("start")
	rig.configure(N.A, "Send", 1, false)
	rig.configure(N.B, "Receive", 1, false)
	rig.configure(N.C, "Receive", 2, false)
	rig.cycles(rig.SETTLE)
	rig.expect_settings(N.A, "Send", 1, false)
	rig.expect_settings(N.B, "Receive", 1, false)
	rig.expect_settings(N.C, "Receive", 2, false)
	rig.expect_quiet()
end

local function scene_routing(note)
	rig.context("A's note reaches B (port 1), not C (port 2)")
	rig.one_note(N.A, N.B, note)
	rig.context("ports swapped: A's note reaches C, not B")
	rig.set(N.B, "port", 1 / 7)
	rig.set(N.C, "port", 0)
	rig.cycles(rig.SETTLE)
	rig.one_note(N.A, N.C, note + 1)
end

-- With B on port 2 and C on port 1.
local function scene_port_change(note)
	rig.context("A changes port while its note sounds on C")
	local before = rig.snapshot_all()
	rig.play(N.A, 0x90, note, 100)
	rig.await(N.C, before, "on", 1, "note-on")
	rig.set(N.A, "port", 1 / 7)
	rig.await(N.C, before, "off", 1, "note-off on A's port change")
	rig.expect_all(before, { C = { on = 1, off = 1 } })
	rig.play(N.A, 0x80, note, 64)
	rig.expect_all(before, { C = { on = 1, off = 1 } })
	rig.set(N.A, "port", 0)
	rig.expect_quiet()

	rig.context("C changes port while A's note sounds on it")
	before = rig.snapshot_all()
	rig.play(N.A, 0x90, note + 2, 100)
	rig.await(N.C, before, "on", 1, "note-on")
	rig.set(N.C, "port", 2 / 7)
	rig.await(N.C, before, "off", 1, "note-off on C's port change")
	rig.play(N.A, 0x80, note + 2, 64)
	rig.expect_all(before, { C = { on = 1, off = 1 } })
	rig.set(N.C, "port", 0)
	rig.cycles(rig.SETTLE)
	rig.expect_quiet()
end

-- With B on port 2 and C on port 1.
local function scene_panic()
	rig.context("Panic on sender A reaches C, its port's receiver, only")
	local before = rig.snapshot_all()
	rig.set(N.A, "panic", 1)
	rig.await(N.C, before, "bend", 16, "Panic")
	rig.expect_all(before, { C = { cc120 = 16, bend = 16 } })
	rig.set(N.A, "panic", 0)
	rig.expect_all(before, { C = { cc120 = 16, bend = 16 } })

	rig.context("Panic on receiver B goes to B's own track only")
	before = rig.snapshot_all()
	rig.set(N.B, "panic", 1)
	rig.await(N.B, before, "bend", 16, "Panic")
	rig.expect_all(before, { B = { cc120 = 16, bend = 16 } })
	rig.set(N.B, "panic", 0)
	rig.expect_all(before, { B = { cc120 = 16, bend = 16 } })
end

-- With B on port 2 and C on port 1.
local function scene_thru(note)
	rig.context("Thru on sender A: its note goes to C and back to A's track")
	rig.set(N.A, "thru", 1)
	rig.cycles(rig.SETTLE)
	rig.one_note(N.A, N.C, note, N.A)

	rig.context("Thru off on A while its note is held ends it on A and C")
	local before = rig.snapshot_all()
	rig.play(N.A, 0x90, note + 3, 100)
	rig.await(N.C, before, "on", 1, "note-on")
	rig.await(N.A, before, "on", 1, "note-on through Thru")
	rig.set(N.A, "thru", 0)
	rig.await(N.C, before, "off", 1, "note-off on Thru off")
	rig.await(N.A, before, "off", 1, "note-off on Thru off")
	rig.play(N.A, 0x80, note + 3, 64)
	rig.expect_all(before, { A = { on = 1, off = 1 }, C = { on = 1, off = 1 } })
	rig.expect_quiet()

	rig.context("Thru on receiver B: B's own track MIDI plays B's synth only")
	rig.set(N.B, "thru", 1)
	rig.cycles(rig.SETTLE)
	rig.one_note(N.B, N.B, note + 4)
	rig.set(N.B, "thru", 0)
	rig.cycles(rig.SETTLE)
end

local function repetition(r)
	local note = 48 + (r * 5) % 24
	start_positions()
	scene_routing(note)
	scene_port_change(note)
	scene_panic()
	scene_thru(note)
	rig.context("end")
	rig.set(N.B, "port", 0)
	rig.set(N.C, "port", 1 / 7)
	rig.cycles(rig.SETTLE)
	rig.expect_quiet()
end

ARDOUR.config():set_processor_usage(threads)
local suffix = formats ~= "" and ("-" .. formats:gsub("[=,]", "-")) or ""
local folder = string.format("%s/relay-%d%s", sessions, threads, suffix)
if not create_session(folder, "relay", 48000) then
	print("FAIL [set-up] Ardour could not create a session in " .. folder)
	os.exit(1)
end
N = rig.build(rig.formats(formats))
rig.cycles(10)
-- Ardour runs at most one process thread per core, whatever it is asked for;
-- several threads are what makes the order of the tracks vary.
local nproc = io.popen("getconf _NPROCESSORS_ONLN")
local cores = tonumber(nproc:read("l"))
nproc:close()
local running = rig.process_threads()
print(string.format("processor usage %d: %d process threads on %d cores; %d repetitions", threads,
	running, cores, repetitions))
if running < math.min(threads, cores, 2) or running > threads then
	rig.fail("processor usage %d ran %d process threads on %d cores", threads, running, cores)
end
local started = os.time()
for r = 1, repetitions do
	rig.run(string.format("processor usage %d, repetition %d", threads, r))
	repetition(r)
	print(string.format("repetition %d passed: routing, swapped ports, port changes while held, "
		.. "Panic, Thru; every track silent, no note held", r))
end
print(string.format("PASS relay with processor usage %d%s: %d repetitions in %d s", threads,
	formats ~= "" and ", " .. formats or "", repetitions, os.time() - started))
rig.finish(0)
