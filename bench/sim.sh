# Sourced by the benchmark scripts: the simulator they start, stopped on
# exit. `sim` holds its process id while it runs.
sim=
stop_sim() {
  if [ -n "$sim" ]; then
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
    sim=
  fi
}
