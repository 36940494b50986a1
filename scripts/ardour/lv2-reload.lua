-- Reopens the session lv2-export.lua saved (Ardour restores the plug-in's state and its
-- ports), prints the parameters it set, and exports again for comparison with the first.
local dir = os.getenv("QS_ARDOUR_DIR") or "/tmp/qs-ardour-lv2"
assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no dummy backend")
local s = load_session(dir, "lv2")
assert(s, "load_session failed")
local track = s:route_by_name("QS")
assert(not track:isnil(), "track QS missing")
local proc = track:nth_plugin(0)
assert(not proc:isnil(), "plug-in missing after reload")
local plug = proc:to_insert():plugin(0)
for n = 0, plug:parameter_count() - 1 do
  local port, refs = plug:nth_parameter(n, true)
  if refs[2] and plug:parameter_is_input(port) and plug:parameter_is_control(port) then
    local label = plug:parameter_label(port)
    if label == "Comp Enable" or label == "Comp Threshold" or label == "EQ Band 4 Enable" or label == "EQ Band 4 Gain"
        or label == "Comp Ratio" then
      print(string.format("restored %-18s %g", label, ARDOUR.LuaAPI.get_processor_param(proc, n, true)))
    end
  end
end
local ex = s:simple_export()
ex:set_name("ardour-lv2-reloaded")
assert(ex:set_preset("75969a1c-3133-4694-864b-a1fa50e43348"), "export preset not found")
ex:set_folder(dir .. "/export")
print("run_export:", ex:run_export())
close_session()
quit()
