-- Builds an Ardour session on the dummy backend with one MIDI track running the
-- Pandrel LV2 instrument, loads a preset by label (PRESET_LABEL), lays a MIDI
-- region of known notes, sets the session range and saves.
-- Run by scripts/test-daw:
--   HOME=$SCRATCH LV2_PATH=$BUNDLES:/usr/lib/lv2 SESS_DIR=$SCRATCH/sess SESS_NAME=demo ardour7-lua session.lua
-- Ardour 7.3's Lua has no call that makes an empty MIDI region, so the script
-- records a few notes from Ardour's own "x-virtual-keyboard" port into the
-- track (dummy backend), then replaces the recorded notes with the test notes.

local dir  = os.getenv("SESS_DIR")  or error("set SESS_DIR")
local name = os.getenv("SESS_NAME") or "demo"
local URI = os.getenv("PLUGIN_URI") or "urn:pandrel:lv2" -- another instrument for a control run
local preset_label = os.getenv("PRESET_LABEL") or "Demo groove"
local rate = tonumber(os.getenv("SESS_RATE") or "48000")
local no_preset = os.getenv("PANDREL_NO_PRESET") ~= nil
local strict = (os.getenv("STRICT_IO") or "1") == "1" -- the GUI's add-track default is strict I/O

local function now() return ARDOUR.LuaAPI.monotonic_time() / 1e6 end -- seconds

print("== backend")
local be = AudioEngine:set_backend("None (Dummy)", "", "")
assert(be, "no dummy backend")
print("backend:", AudioEngine:current_backend_name())

print("== create session", dir, name, rate)
local s = create_session(dir, name, rate)
assert(s, "create_session failed")
print("session rate:", Session:nominal_sample_rate(), "engine rate:", Session:sample_rate())

print("== discovery")
local found = false
for p in ARDOUR.LuaAPI.list_plugins():iter() do
	if p.unique_id == URI then
		found = true
		print("found:", p.name, p.unique_id, "type", p.type, "category", p.category,
			"in midi", p.n_inputs:n_midi(), "in audio", p.n_inputs:n_audio(),
			"out audio", p.n_outputs:n_audio(), "instrument", p:is_instrument())
		for ps in p:get_presets(false):iter() do print("  preset:", ps.label, ps.uri, "user", ps.user) end
	end
end
assert(found, "Pandrel not discovered")

local pi = ARDOUR.LuaAPI.new_plugin_info(URI, ARDOUR.PluginType.LV2)
assert(not pi:isnil(), "new_plugin_info failed")

print("== new MIDI track with the instrument")
local t0 = now()
local tl = Session:new_midi_track(
	ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
	ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2),
	strict, pi, nil, nil, 1, "Pandrel",
	ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
assert(tl:size() == 1, "track not created")
local track = tl:front()
print(string.format("track created in %.3f s: %s", now() - t0, track:name()))

local insert = nil
local i = 0
while true do
	local proc = track:nth_plugin(i)
	if proc:isnil() then break end
	print("plugin processor", i, proc:display_name(), proc:name())
	local pin = proc:to_insert()
	if not pin:isnil() and pin:plugin(0):unique_id() == URI then insert = pin end
	i = i + 1
end
assert(insert, "no Pandrel insert on the track")
local plugin = insert:plugin(0)
print("insert: natural in", insert:natural_input_streams():n_midi(), "midi /",
	insert:natural_input_streams():n_audio(), "audio; natural out",
	insert:natural_output_streams():n_audio(), "audio; configured out",
	insert:output_streams():n_audio(), "audio; track strict_io", track:strict_io())
print("track outputs:", track:n_outputs():n_audio(), "audio")
print("plugin parameters:", plugin:parameter_count())
for p = 0, plugin:parameter_count() - 1 do
	local idx, refs = plugin:nth_parameter(p, true)
	if refs[2] and plugin:parameter_is_control(idx) then
		print("  control param", idx, plugin:parameter_label(idx), "input", plugin:parameter_is_input(idx), "value", ARDOUR.LuaAPI.get_plugin_insert_param(insert, p, true))
	end
end

if not no_preset and URI == "urn:pandrel:lv2" then
	print("== presets")
	for ps in pi:get_presets(false):iter() do print("preset (PluginInfo):", ps.label, ps.uri, "user", ps.user) end
	local ps = plugin:preset_by_label(preset_label)
	assert(ps and ps.valid, "preset not found: " .. preset_label)
	t0 = now()
	local ok = plugin:load_preset(ps)
	print(string.format("load_preset -> %s in %.3f s", tostring(ok), now() - t0))
	local lp = plugin:last_preset()
	print("last_preset:", lp.label, lp.uri)
end

print("== record a placeholder MIDI region")
local a = Session:engine()
local vk = nil
local _, pt = a:get_ports(ARDOUR.DataType("midi"), ARDOUR.PortList())
for p in pt[2]:iter() do
	if p:name() == "x-virtual-keyboard" then vk = p:to_asyncmidiport() end
end
assert(vk and not vk:isnil(), "no x-virtual-keyboard port")
local tin = track:input():nth(0)
print("track MIDI input port:", tin:name())
track:input():disconnect_all(nil)
print("connect vkbd ->", tin:name(), track:input():connect(tin, vk:name(), nil))
track:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
Session:maybe_enable_record(false)
Session:request_locate(0, false, ARDOUR.LocateTransportDisposition.MustStop, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(300000)
Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(300000)
local parser = ARDOUR.RawMidiParser()
local function send(b1, b2, b3)
	for _, b in ipairs({b1, b2, b3}) do
		if parser:process_byte(b) then vk:write(parser:midi_buffer(), parser:buffer_size(), 0) end
	end
end
for k = 1, 3 do
	send(0x90, 37, 100); ARDOUR.LuaAPI.usleep(100000)
	send(0x80, 37, 0);   ARDOUR.LuaAPI.usleep(100000)
end
ARDOUR.LuaAPI.usleep(300000)
Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(1000000)
Session:disable_record(false, false)
track:rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)
track:input():disconnect_all(nil)

local pl = track:playlist()
local rl = pl:region_list()
print("regions after recording:", rl:size())
assert(rl:size() >= 1, "no region recorded")
local region = nil
for r in rl:iter() do region = r; break end
local mr = region:to_midiregion()
assert(not mr:isnil(), "not a MIDI region")

print("== replace notes with the test pattern")
-- Test notes (session default: 120 BPM 4/4, so one beat = 0.5 s):
--   beat 1  key 37 kick one-shot (0.5 beat)   beat 3  key 37 kick
--   beat 5  key 38 snare one-shot (0.5 beat)  beat 8  key 36 groove, held 8 beats
--   beat 18 key 39 fill (1 beat)              beat 20 key 40 half-bar loop (2 beats)
local NOTES = {
	{1, 0.5, 37, 110}, {3, 0.5, 37, 110}, {5, 0.5, 38, 100},
	{8, 8, 36, 110}, {18, 1, 39, 110}, {20, 2, 40, 100},
}
local END_BEATS = 26
mr:set_initial_position(Temporal.timepos_t(0))
local model = mr:model()
local cmd = model:new_note_diff_command("pandrel test notes")
for n in ARDOUR.LuaAPI.note_list(model):iter() do cmd:remove(n) end
local function beats(b) return Temporal.Beats(math.floor(b), math.floor((b - math.floor(b)) * Temporal.ticks_per_beat + 0.5)) end
for _, n in ipairs(NOTES) do
	cmd:add(ARDOUR.LuaAPI.new_noteptr(1, beats(n[1]), beats(n[2]), n[3], n[4]))
end
model:apply_command(Session, cmd)
local len = Temporal.timecnt_t.from_ticks(END_BEATS * Temporal.ticks_per_beat, Temporal.timepos_t(0))
mr:set_length(len)
print("region:", region:name(), "position", region:position():str(), "length", region:length():str(),
	"start", region:start():str())
for n in ARDOUR.LuaAPI.note_list(model):iter() do
	print("  note", n:note(), "time", n:time():str(), "len", n:length():str(), "vel", n:velocity())
end

-- session range 0 .. END_BEATS beats at 120 BPM
local end_sample = math.floor(END_BEATS * 0.5 * rate)
local loc = Session:locations():session_range_location()
if loc then
	loc:set(Temporal.timepos_t(0), Temporal.timepos_t(end_sample))
else
	Session:maybe_update_session_range(Temporal.timepos_t(0), Temporal.timepos_t(end_sample))
end
loc = Session:locations():session_range_location()
print("session range:", loc:start():samples(), loc:_end():samples())

print("== save")
t0 = now()
Session:save_state("", false, false, false, false, false)
print(string.format("save_state in %.3f s", now() - t0))
close_session()
print("== done")
quit()
