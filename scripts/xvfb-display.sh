# Sourced by the Wine scripts: a private X server for a run of Wine
# programs. start_display FOLDER starts Xvfb on the first free display
# (its number is written to FOLDER/.display) and sets display (":N") and
# display_pid; it returns 1 when Xvfb did not start. stop_display ends it.
display=
display_pid=
start_display() {
  local number_file=$1/.display
  rm -f "$number_file"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  display_pid=$!
  local _
  for _ in $(seq 200); do
    [ -s "$number_file" ] && break
    sleep 0.05
  done
  [ -s "$number_file" ] || return 1
  display=:$(head -n1 "$number_file")
}

stop_display() {
  if [ -n "$display_pid" ]; then
    kill "$display_pid" 2>/dev/null
    wait "$display_pid" 2>/dev/null
  fi
  display_pid=
}
