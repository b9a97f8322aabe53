#!/usr/bin/env bash
# In a real DAW, headless: Ardour's Lua session tool with the dummy backend
# puts a sine generator and the built Sonderlith.vst3 or Sonderlith.lv2 on a
# track, checks that Ardour takes the second input pair for a sidechain (so
# its routing grid feeds a sidechain there, not the track's audio), exports with and without the plug-in, saves, reopens and
# finds it again with the parameters it set, "Auto" among them (the VST3's as
# parameters, the LV2's as the properties LV2 hands them over as).
# usage: ardour_session.sh BUNDLE WORK_FOLDER
set -euo pipefail
bundle="$1" work="$2"
kind=VST3
[[ "$bundle" == *.lv2 ]] && kind=LV2
lua_tool="$(command -v ardour7-lua || true)"
scanner=/usr/lib/ardour7/ardour-vst3-scanner
[ -n "$lua_tool" ] && [ -x "$scanner" ] || { echo "skipped: Ardour 7 is not installed (scripts/bootstrap.sh installs it)"; exit 77; }

rm -rf "$work"
home="$work/home"
mkdir -p "$home/.config/ardour7" "$home/.vst3" "$home/.lv2" "$work/export"
cat > "$home/.config/ardour7/config" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="hide-dummy-backend" value="0"/>
    <Option name="use-vst3" value="1"/>
  </Config>
</Ardour>
XML
if [ "$kind" = VST3 ]; then
  # Keep the build's time stamps: Ardour trusts a scan only if it is newer
  # than the module, to the second.
  cp -r --preserve=timestamps "$bundle" "$home/.vst3/"
  touch -d "-2 seconds" "$home/.vst3/Sonderlith.vst3/Contents/x86_64-linux/Sonderlith.so"
  # The Lua tool finds only plug-ins the scanner has cached.
  HOME="$home" LD_LIBRARY_PATH=/usr/lib/ardour7 "$scanner" "$home/.vst3/Sonderlith.vst3" > "$work/scan.log" 2>&1
  grep -q "Found Plugin: Sonderlith" "$work/scan.log" || { echo "the scanner did not find the plug-in"; cat "$work/scan.log"; exit 1; }
else
  # Ardour reads LV2 bundles from ~/.lv2 through lilv as it starts.
  cp -r "$bundle" "$home/.lv2/"
fi

# A float WAV without dither (Ardour's 16-bit presets dither, so two renders
# of the same signal would differ by random steps): a preset of our own on
# Ardour's stock "BWAV 32float" format.
wav_preset=5f0d1c2e-7a41-4b38-9c6e-0e5b2d3a4c51
# A sine tied to the timeline, so every render of a range is the same signal
# (Ardour's own generator keeps its phase running between renders).
mkdir -p "$home/.config/ardour7/scripts"
cat > "$home/.config/ardour7/scripts/timeline_sine.lua" <<'LUA'
ardour { ["type"] = "dsp", name = "TimelineSine", category = "Instrument", license = "MIT", author = "Sonderlith tests",
         description = [[A sine whose phase follows the transport position]] }
function dsp_ioconfig () return { [1] = { audio_in = -1, audio_out = -1 } } end
function dsp_init (rate) sampleRate = rate end
function dsp_run (ins, outs, n)
  local start = Session:transport_sample ()
  local samples = {}
  for i = 1, n do samples[i] = 0.5 * math.sin (2 * math.pi * 997 * (start + i - 1) / sampleRate) end
  for c = 1, #outs do outs[c]:set_table (samples, n) end
end
LUA
mkdir -p "$home/.config/ardour7/export"
cat > "$home/.config/ardour7/export/float-wav.preset" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<ExportPreset id="$wav_preset" name="Float WAV">
  <ExportFormat id="20b4ab09-6452-4cb3-bd66-b921cdbd2942"/>
  <ExportFilename>
    <Folder relative="1" path="export"/>
    <Field name="timespan" enabled="1"/>
  </ExportFilename>
</ExportPreset>
XML
# Ardour 7.3 aborts in its teardown after a session closes, so each script
# ends with an immediate exit once its work is saved, and reports through a
# file closed after every line (buffered output may die with the process).
results="$work/results.txt"
rm -f "$results"
note_function='local function note (text) local f = io.open ("'"$results"'", "a") f:write (text .. "\n") f:close () end'
cat > "$work/build.lua" <<LUA
$note_function
AudioEngine:set_backend ("None (Dummy)", "", "")
local s = create_session ("$work/session", "session", 48000)
local track = s:new_audio_track (2, 2, nil, 1, "Sine", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front ()

-- A fresh generator for every export, first on the track.
local generator = nil
local function export (name)
  if generator then track:remove_processor (generator, nil, true) end
  generator = ARDOUR.LuaAPI.new_luaproc (s, "TimelineSine")
  assert (not generator:isnil (), "no generator")
  track:add_processor_by_index (generator, 0, nil, true)
  local e = s:simple_export ()
  e:set_name (name)
  e:set_folder ("$work/export")
  e:set_range (0, 48000)
  assert (e:set_preset ("$wav_preset"), "no WAV preset")
  assert (e:run_export (), "export failed")
end
export ("without")

local plugin = ARDOUR.LuaAPI.new_plugin (s, "Sonderlith", ARDOUR.PluginType.$kind, "")
assert (not plugin:isnil (), "Sonderlith not found")
track:add_processor_by_index (plugin, 1, nil, true)
local insert = plugin:to_plugininsert ()
note ("inputs " .. insert:natural_input_streams ():n_audio ())
for port = 0, 3 do
  note ("input " .. port .. " sidechain " .. tostring (insert:plugin (0):describe_io_port (ARDOUR.DataType ("audio"), true, port).is_sidechain))
end
if "$kind" == "VST3" then
  for _, p in ipairs ({ { 0, 0.75 }, { 2, 0.25 }, { 5, 1.0 }, { 6, 1.0 } }) do
    assert (ARDOUR.LuaAPI.set_processor_param (plugin, p[1], p[2]))
  end
else
  -- The LV2's parameters are properties: Ardour's property controls, in plain
  -- units, reach the plug-in as messages while audio runs (the export below).
  local values = { scaleX = -12.5, latencyX = 128, smoothing = 13, captureAlgorithm = 2 }
  local automatable = insert:to_automatable ()
  for param in automatable:all_automatable_params ():iter () do
    local control = automatable:automation_control (param, false)
    local key = control:name ():match (":(%w+)$")
    if values[key] then control:set_value (values[key], PBD.GroupControlDisposition.NoGroup) end
  end
end
export ("with")
s:save_state ("")
note ("saved")
os.exit (0)
LUA
# Ardour 7.3 sometimes crashes with a corrupted heap when an export finishes
# while a Lua DSP processor runs (seen with its stock SinGen and no other
# plug-in), so a run that dies is repeated from scratch a few times.
run_lua() { # script log marker
  local attempt status
  for attempt in 1 2 3 4 5; do
    status=0
    HOME="$home" timeout 120 "$lua_tool" "$1" > "$2" 2>&1 || status=$?
    grep -q "$3" "$results" 2>/dev/null && return 0
    [ "$status" -ge 128 ] || return 0
    echo "Ardour died (status $status) in $(basename "$1"), attempt $attempt" | tee -a "$work/crashes.log"
    [ "$1" = "$work/build.lua" ] && rm -rf "$work/session" "$work/export"/* "$results"
  done
}
run_lua "$work/build.lua" "$work/build.log" '^saved'
grep -q '^saved' "$results" || { echo "Ardour did not build and save the session"; tail -20 "$work/build.log"; exit 1; }
grep -q '^inputs 4$' "$results" || { echo "Ardour does not see the sidechain input"; grep '^inputs' "$results"; exit 1; }
for expected in "input 0 sidechain false" "input 1 sidechain false" "input 2 sidechain true" "input 3 sidechain true"; do
  grep -q "^$expected$" "$results" || { echo "Ardour does not take the second pair for a sidechain: no '$expected'"; grep '^input\|^sidechain' "$results"; exit 1; }
done

cat > "$work/reopen.lua" <<LUA
$note_function
AudioEngine:set_backend ("None (Dummy)", "", "")
local s = load_session ("$work/session", "session")
assert (s, "cannot reopen")
for route in s:get_routes ():iter () do
  local i = 0
  while true do
    local proc = route:nth_plugin (i)
    if proc:isnil () then break end
    if proc:display_name () == "Sonderlith" then
      note ("found Sonderlith")
      if "$kind" == "LV2" then
        -- The plug-in tells its restored values as audio runs.
        local e = s:simple_export ()
        e:set_name ("reopened")
        e:set_folder ("$work/export")
        e:set_range (0, 4800)
        assert (e:set_preset ("$wav_preset"), "no WAV preset")
        assert (e:run_export (), "export failed")
        -- Saved again, the plug-in writes the state it restored: read below.
        s:save_state ("")
        note ("saved again")
      end
      for _, index in ipairs ("$kind" == "VST3" and { 0, 2, 5, 6 } or {}) do
        note (string.format ("param %d %.6f", index, ARDOUR.LuaAPI.get_processor_param (proc, index, true)))
      end
    end
    i = i + 1
  end
end
os.exit (0)
LUA
# The last line each kind notes: a run that died before it is repeated.
run_lua "$work/reopen.lua" "$work/reopen.log" "$([ "$kind" = VST3 ] && echo '^param 6' || echo '^saved again')"
grep -q '^found Sonderlith' "$results" || { echo "the reopened session has no Sonderlith"; tail -5 "$work/reopen.log"; exit 1; }
if [ "$kind" = VST3 ]; then
  # Normalised values as Ardour passes them: Scale X 0.75 is +18 dB, Latency X
  # 0.25 is 128 samples, Capture Algorithm 1 is Auto (the last of three),
  # Capture Length 1 is 128k.
  for expected in "param 0 0.750000" "param 2 0.250000" "param 5 1.000000" "param 6 1.000000"; do
    grep -q "^$expected" "$results" || { echo "not restored: $expected"; grep '^param' "$results"; tail -5 "$work/reopen.log"; exit 1; }
  done
else
  # Ardour keeps an LV2's own state beside the session; the newest is the one
  # the reopened plug-in gave back. Its values, in the framework's encoding
  # (size, then six bits a character, lowest bit first).
  grep -q '^saved again' "$results" || { echo "the reopened session was not saved again"; tail -5 "$work/reopen.log"; exit 1; }
  state="$(ls -t "$work"/session/plugins/*/state*/state.ttl | head -n1)"
  /usr/bin/python3 - "$state" <<'PY' || exit 1
import re, struct, sys
text = open(sys.argv[1]).read()
match = re.search(r'StateString> "(\d+)\.([^"]+)"', text)
if not match:
    raise SystemExit("no plug-in state in " + sys.argv[1])
size, encoded = int(match.group(1)), match.group(2)
alphabet = ".ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+"
data, bit = bytearray(size), 0
for character in encoded:
    value = alphabet.index(character)
    for b in range(6):
        if bit < size * 8 and value & (1 << b):
            data[bit >> 3] |= 1 << (bit & 7)
        bit += 1
# Each parameter's id, then its value as a double.
for name, expected in (("scaleX", -12.5), ("latencyX", 128.0), ("smoothing", 13.0), ("captureAlgorithm", 2.0)):
    at = data.find(name.encode())
    found = [struct.unpack("<d", bytes(data[i:i + 8]))[0] for i in range(at, min(at + 40, size - 8))] if at >= 0 else []
    if expected not in found:
        raise SystemExit(f"not restored: {name} {expected}")
print("LV2 state after reopening: scaleX -12.5, latencyX 128, smoothing 13, captureAlgorithm 2 (Auto)")
PY
fi

# Sample for sample: the data chunks of the two exports.
/usr/bin/python3 - "$work/export/without.wav" "$work/export/with.wav" <<'PY'
import struct, sys

def samples(path):
    data = open(path, "rb").read()
    position = 12
    while position + 8 <= len(data):
        name, size = data[position:position + 4], struct.unpack("<I", data[position + 4:position + 8])[0]
        if name == b"data":
            return data[position + 8:position + 8 + size]
        position += 8 + size + (size & 1)
    raise SystemExit(f"{path}: no data chunk")

without, with_plugin = samples(sys.argv[1]), samples(sys.argv[2])
if len(without) == 0 or without != with_plugin:
    raise SystemExit(f"exports differ ({len(without)} and {len(with_plugin)} bytes of samples)")
if not any(without):
    raise SystemExit("the export is silent")
print(f"pass-through: {len(without)} bytes of samples identical")
PY
echo "Ardour ($kind): sidechain seen, parameters restored after reopening, export unchanged by the plug-in"
