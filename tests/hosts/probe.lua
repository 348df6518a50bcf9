ardour {
	["type"]    = "dsp",
	name        = "Tarvenna Probe",
	category    = "Utility",
	license     = "MIT",
	author      = "Tarvenna",
	description = [[Counts the MIDI that passes it, keeps the notes it has seen held and measures each cycle's audio peak; passes everything through unchanged]]
}

-- Shared memory, 32-bit integers, read by the session scripts (rig.lua):
--   [1] cycles run          [2] note-ons          [3] note-offs
--   [4] CC 120 (all sound off)                     [5] pitch bends
--   [6] notes held now      [7] this cycle's audio peak, in millionths
--   [8] highest peak since the session script last set it to 0
--   [9] any other MIDI message
-- Peaks are integers because the shared memory offers atomic access only to
-- integers, and a session script reads them while this runs.

function dsp_ioconfig ()
	return { { midi_in = 1, midi_out = 1, audio_in = -1, audio_out = -1 } }
end

local outs_configured
local held = {}
local held_count = 0

function dsp_init (rate)
	self:shmem():allocate(16)
	self:shmem():clear()
end

function dsp_configure (ins, outs)
	outs_configured = outs
end

local function count_midi (c, buffer)
	for _, e in pairs(buffer:table()) do
		local d = e:buffer():array()
		local kind = d[1] & 0xF0
		local key = (d[1] & 0x0F) * 128 + (d[2] or 0)
		if kind == 0x90 and e:size() >= 3 and d[3] > 0 then
			c[2] = c[2] + 1
			if not held[key] then
				held[key] = true
				held_count = held_count + 1
			end
		elseif kind == 0x80 or kind == 0x90 then
			c[3] = c[3] + 1
			if held[key] then
				held[key] = nil
				held_count = held_count - 1
			end
		elseif kind == 0xB0 and d[2] == 120 then
			c[4] = c[4] + 1
		elseif kind == 0xE0 then
			c[5] = c[5] + 1
		else
			c[9] = c[9] + 1
		end
	end
end

function dsp_runmap (bufs, in_map, out_map, n_samples, offset)
	local c = self:shmem():to_int(0):array()
	local midi = in_map:get(ARDOUR.DataType("midi"), 0)
	if midi ~= ARDOUR.ChanMapping.Invalid then
		count_midi(c, bufs:get_midi(midi))
	end
	local peak = 0
	for ch = 1, outs_configured:n_audio() do
		local audio = in_map:get(ARDOUR.DataType("audio"), ch - 1)
		if audio ~= ARDOUR.ChanMapping.Invalid then
			peak = ARDOUR.DSP.compute_peak(bufs:get_audio(audio):data(offset), n_samples, peak)
		end
	end
	ARDOUR.DSP.process_map(bufs, outs_configured, in_map, out_map, n_samples, offset)
	local p = math.floor(peak * 1000000)
	c[6] = held_count
	c[7] = p
	if p > c[8] then
		c[8] = p
	end
	c[1] = c[1] + 1
end
