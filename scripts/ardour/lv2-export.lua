-- A manual check of the LV2 bundle in Ardour 7, headless (ardour7-lua, dummy backend):
-- loads the plug-in by its URI on a stereo track, sets parameters, records the dummy
-- backend's generated sweep through it, exports the session and reports the latency
-- Ardour sees with oversampling on. Run it with scripts/ardour/lv2-check.sh.
local uri = "https://kelmora.audio/plugins/quillstrip-pro-small"
local dir = os.getenv("QS_ARDOUR_DIR") or "/tmp/qs-ardour-lv2"
os.execute("rm -rf '" .. dir .. "'")
local backend = AudioEngine:set_backend("None (Dummy)", "", "")
assert(backend, "no dummy backend")
backend:set_device_name("Sine Sweep Swell")
local s = create_session(dir, "lv2", 48000)
assert(s, "create_session failed")

local track = s:new_audio_track(2, 2, nil, 1, "QS", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front()
local proc = ARDOUR.LuaAPI.new_plugin(s, uri, ARDOUR.PluginType.LV2, "")
assert(not proc:isnil(), "Ardour cannot make " .. uri)
assert(track:add_processor_by_index(proc, 0, nil, true) == 0, "add_processor failed")
local plug = proc:to_insert():plugin(0)
print("plugin:", plug:name(), "parameters:", plug:parameter_count())

-- The n-th control input (what LuaAPI's parameter calls take) by its port's name.
local index = {}
local controls = 0
for n = 0, plug:parameter_count() - 1 do
  local port, refs = plug:nth_parameter(n, true)
  if refs[2] and plug:parameter_is_input(port) and plug:parameter_is_control(port) then
    index[plug:parameter_label(port)] = n
    controls = controls + 1
  end
end
print("control inputs:", controls)
local function set(name, value)
  assert(index[name], "no parameter " .. name)
  assert(ARDOUR.LuaAPI.set_processor_param(proc, index[name], value), "cannot set " .. name)
  print(string.format("set %-18s %g -> %g", name, value, ARDOUR.LuaAPI.get_processor_param(proc, index[name], true)))
end

-- The latency Ardour reads from the latency port, off and on.
ARDOUR.LuaAPI.usleep(300000)
print("latency, oversampling off:", proc:signal_latency())
set("Oversample Enable", 1)
ARDOUR.LuaAPI.usleep(500000)
print("latency, oversampling on:", proc:signal_latency())
set("Oversample Enable", 0)
ARDOUR.LuaAPI.usleep(500000)
print("latency, oversampling off again:", proc:signal_latency())

-- The factory presets in Ardour's preset list; "Vocal" loaded, then parameters on top.
local found = 0
for _, name in ipairs({"Acoustic Guitar", "Bass", "Drum Bus", "Gentle Master", "Kick", "Loud Master", "Snare",
                       "Spoken Voice", "Vocal", "Wide Pad"}) do
  local p = plug:preset_by_label(name)
  if p and p.valid then
    found = found + 1
  else
    print("preset missing:", name)
  end
end
print("factory presets found:", found)
local vocal = plug:preset_by_label("Vocal")
print("load Vocal:", plug:load_preset(vocal))
print("Comp Enable after Vocal:", ARDOUR.LuaAPI.get_processor_param(proc, index["Comp Enable"], true))
set("Comp Threshold", -30)
set("EQ Band 4 Enable", 1)
set("EQ Band 4 Gain", 6)

track:input():disconnect_all(nil)
track:input():audio(0):connect("system:capture_1")
track:input():audio(1):connect("system:capture_2")
track:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
s:maybe_enable_record(false)
ARDOUR.LuaAPI.usleep(200000)
s:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(4000000)
s:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(1500000)
s:disable_record(false, false)
track:rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)
ARDOUR.LuaAPI.usleep(500000)
for r in track:playlist():region_list():iter() do
  print("region:", r:name(), "length:", r:length():samples())
  r:to_audioregion():set_fade_in_active(false)
  r:to_audioregion():set_fade_out_active(false)
end

track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorDisk, PBD.GroupControlDisposition.NoGroup)
track:input():disconnect_all(nil)
s:save_state("", false, false, false, false, false)
local ex = s:simple_export()
ex:set_name("ardour-lv2")
assert(ex:set_preset("75969a1c-3133-4694-864b-a1fa50e43348"), "export preset not found")
ex:set_folder(dir .. "/export")
print("run_export:", ex:run_export())
close_session()
quit()
