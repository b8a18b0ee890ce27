-- Opens a saved session in a fresh process and saves it three times: as it
-- is, after loading PRESET_A, and after loading PRESET_B (the same sounds as A
-- with other pad settings), printing the bytes under the session's plugins/
-- folder after each save, for scripts/test-daw to compare.
-- Run: HOME=$SCRATCH LV2_PATH=... SESS_DIR=... SESS_NAME=... PRESET_A=... PRESET_B=... ardour7-lua resave.lua
local dir = os.getenv("SESS_DIR") or error("set SESS_DIR")
local name = os.getenv("SESS_NAME") or "demo"
local preset_a = os.getenv("PRESET_A") or error("set PRESET_A")
local preset_b = os.getenv("PRESET_B") or error("set PRESET_B")

local function now() return ARDOUR.LuaAPI.monotonic_time() / 1e6 end
local function du(path)
	local f = io.popen("du -sb '" .. path .. "' 2>/dev/null | cut -f1")
	local bytes = f:read("*l"); f:close()
	return tonumber(bytes) or 0
end

AudioEngine:set_backend("None (Dummy)", "", "")
local t0 = now()
assert(load_session(dir, name), "load_session failed")
print(string.format("load_session: %.3f s", now() - t0))

local insert = nil
for t in Session:get_tracks():iter() do
	local i = 0
	while true do
		local proc = t:nth_plugin(i)
		if proc:isnil() then break end
		local pin = proc:to_insert()
		if not pin:isnil() and pin:plugin(0):unique_id() == "urn:pandrel:lv2" then insert = pin end
		i = i + 1
	end
end
assert(insert, "no Pandrel insert after reload")
local plugin = insert:plugin(0)

local function save(what)
	ARDOUR.LuaAPI.usleep(200000) -- let the process thread run a few cycles
	local t1 = now()
	Session:save_state("", false, false, false, false, false)
	print(string.format("SAVE %s %.3f s PLUGINS_BYTES %d", what, now() - t1, du(dir .. "/plugins")))
end
local function load(label)
	local ps = plugin:preset_by_label(label)
	assert(ps and ps.valid, "preset not found: " .. label)
	assert(plugin:load_preset(ps), "load_preset failed: " .. label)
end
save("as-loaded")
load(preset_a)
save("preset-a")
load(preset_b)
save("preset-b")
close_session()
quit()
