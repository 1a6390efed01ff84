# Sourced by the build scripts: `phase NAME COMMAND...` runs a command and notes its wall time
# and its processor time (user + system of everything it started and waited for: compilers,
# tests, the data maker) in $ZEPHLON_PHASE_LOG when that is set; `phase_table` prints the notes.
# Processor time does not depend on what else runs on the machine; on an idle machine with N
# cores, the wall time of a phase is about its processor time / N plus its serial stretches.

# Sets zephlon_cpu to the user + system seconds of this shell's waited-for children so far.
zephlon_children_cpu() {
  local tmp
  tmp=$(mktemp)
  times > "$tmp"  # in this shell: in a pipe or $(...) a subshell answers, which has no children
  zephlon_cpu=$(tail -n 1 "$tmp" | awk '{ s = 0
    for (i = 1; i <= NF; i++) { split($i, p, "m"); sub("s", "", p[2]); s += p[1] * 60 + p[2] }
    printf "%.1f", s }')
  rm -f "$tmp"
}

phase() {
  local name=$1; shift
  local start cpu0 rc=0
  start=$(date +%s.%N)
  zephlon_children_cpu
  cpu0=$zephlon_cpu
  "$@" || rc=$?
  local wall cpu
  wall=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
  zephlon_children_cpu
  cpu=$(awk -v a="$cpu0" -v b="$zephlon_cpu" 'BEGIN { printf "%.1f", b - a }')
  printf '== phase %-28s wall %8.1f s   processor %8.1f s%s\n' "$name" "$wall" "$cpu" \
    "$([ $rc -eq 0 ] || echo "   (failed: $rc)")" >&2
  if [ -n "${ZEPHLON_PHASE_LOG:-}" ]; then
    printf '%s\t%s\t%s\t%s\n' "$name" "$wall" "$cpu" "$rc" >> "$ZEPHLON_PHASE_LOG"
  fi
  return $rc
}

phase_table() {
  [ -n "${ZEPHLON_PHASE_LOG:-}" ] && [ -f "$ZEPHLON_PHASE_LOG" ] || return 0
  awk -F '\t' 'BEGIN { printf "\n%-30s %10s %12s\n", "phase", "wall s", "processor s" }
    { printf "%-30s %10.1f %12.1f%s\n", $1, $2, $3, ($4 == 0 ? "" : "  failed"); w += $2; c += $3 }
    END { printf "%-30s %10.1f %12.1f\n", "all", w, c }' "$ZEPHLON_PHASE_LOG" >&2
}
