# Sourced by the live-view measurements: seeds a simulated board for the
# program BIN in ROOT, then turns every mark on and chooses the image mode
# (0 thermal, 1 digital, 2 fusion, 3 PIP).
# Usage: seed_live_board BIN ROOT [MODE]
seed_live_board() {
  local bin="$1" root="$2" mode="${3:-0}"
  NORVIK7_ROOT="$root" QT_QPA_PLATFORM=offscreen timeout 2 "$bin" >/dev/null 2>&1 || true
  python3 - "$root/root/Norvik7_config.ini" "$mode" <<'PY'
import configparser, sys
p, mode = sys.argv[1], sys.argv[2]
c = configparser.ConfigParser(); c.optionxform = str; c.read(p)
if 'config' not in c: c['config'] = {}
modes = ['thermal', 'digital', 'fusion', 'pip']
c['config'].update({'center_focus': 'Yes', 'hilo_focus': 'Yes', 'zone': 'No', 'language': 'English',
                    'image_mode': modes[int(mode)]})
with open(p, 'w') as f: c.write(f, space_around_delimiters=False)
PY
}
