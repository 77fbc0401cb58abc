#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the benchmarks in Release and runs every job that VoiceTray does
# side by side with its reference, then prints one table: for each job the
# wall time of VoiceTray, of the reference in the same run, the ratio of the
# two (CPU seconds beside them where the benchmark counts them: the machine
# may be shared, and CPU time carries less of that noise), and the target.
# Jobs measured at several library sizes show one row per size.
# Benchmarks named Job_VoiceTray... are VoiceTray's, Job_Ffmpeg... the
# reference; a job without a reference is shown alone.
#
#   bench/run.sh                 # everything (about twenty-five minutes)
#   bench/run.sh 'Join|Cut'      # only the jobs whose names match
#   bench/run.sh Share           # a one-hour recording shared as Opus, plain and cleaned up
#
# VT_BENCH_BUILD chooses the build folder (default build/rel); the media
# benchmark's inputs are kept in $VT_BENCH_DATA between runs.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VT_BENCH_BUILD:-build/rel}
filter=${1:-.}
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/voicetray-ccache}"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -t bench_media bench_library bench_outline bench_app_split_import \
  bench_app_footprint >/dev/null

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for program in media/bench_media library/bench_library outline/bench_outline \
  app/bench_app_split_import app/bench_app_footprint; do
  # What one program wrote is on the disk before the next starts timing.
  sync
  "$build/bench/$program" --benchmark_filter="$filter" --benchmark_out_format=json \
    --benchmark_out="$out/$(basename "$program").json" >/dev/null 2>"$out/stderr" ||
    { cat "$out/stderr" >&2; exit 1; }
done
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
echo

# The targets, by benchmark name without "BM_" and its run settings.
targets='{
  "Save/recordings:10000/categories:500": "≤ 30 ms",
  "LoadIntoOutline/recordings:10000/categories:500": "≤ 30 ms",
  "SaveAfterRename/recordings:100000/categories:2000": "≤ 0.2 s",
  "Keystroke/few_results/recordings:100000/categories:2000": "≤ 10 ms",
  "Keystroke/every_recording/recordings:100000/categories:2000": "≤ 10 ms",
  "ScrollFrame/recordings:100000/categories:2000": "no frame over 16 ms (CPU)",
  "Start_VoiceTray/recordings:100000": "≤ 0.5 s",
  "MemoryIdle_VoiceTray/recordings:100000": "≤ 150 MB PSS",
  "RecordingCpu_VoiceTray": "≤ 1.15×",
  "RecordingCpu_VoiceTrayWindowOpen": "≤ 1.5×"
}'

# One figure per benchmark: the median of its repetitions, else its mean.
jq -rs --argjson targets "$targets" '
  def ms: if .time_unit == "us" then .real_time / 1000
          elif .time_unit == "ns" then .real_time / 1e6
          elif .time_unit == "s" then .real_time * 1000 else .real_time end;
  def show: if . >= 1000 then "\(. / 100 | round / 10) s" else "\(. * 10 | round / 10) ms" end;
  def cpu: if .cpu then " (\(.cpu * 100 | round / 100) s CPU)" else "" end;
  def r1: . * 10 | round / 10;
  # A benchmark that weighs or counts CPU shares says so in its counters.
  def figure: if .pss then "\(.pss | r1) MB PSS, \(.rss | r1) MB RSS"
                             + (if .opened > 0.05 then " (\(.opened | r1) MB of it opened to record)" else "" end)
              elif .core then "\(.core * 100 | round / 100) % of a core" + cpu
                              + (if .encoder then ": encoding \(.encoder * 100 | round / 100) %"
                                   + (if .main then ", main thread \(.main * 100 | round / 100) %" else "" end)
                                 else "" end)
              else (.ms | show) + cpu end;
  [.[].benchmarks[] | select(.error_occurred | not)
   | select(.run_type == "iteration" or .aggregate_name == "median")]
  | group_by(.run_name) | map(if length > 1 then map(select(.aggregate_name == "median"))[0]
                              else .[0] end)
  | map((.run_name | ltrimstr("BM_") | split("/")
          | map(select(test("^(iterations|repeats|min_time):|^manual_time$") | not))) as $parts
         | ($parts[0] | split("_")) as $name
         | ($parts[1:] | join("/") | gsub("recordings:(?<r>[0-9]+)"; "\(.r) recordings")
            | gsub("/categories:(?<c>[0-9]+)"; " in \(.c) categories")) as $args
         | {job: $name[0], who: ($name[1:] | join("_")), ms: ms, cpu: .cpu_s,
            label: (if $args == "" then "" else " (" + $args + ")" end),
            target: ($targets[$parts | join("/")] // ""),
            pss: .pss_mb, rss: .rss_mb, opened: .opened_mb, core: .core_pct,
            encoder: .encoder_pct, main: .main_pct})
  | group_by(.job)[]
  | (map(select(.who | startswith("Ffmpeg")))[0]) as $ref
  | map(select(.who | startswith("Ffmpeg") | not))[]
  | [.job + (if .who == "VoiceTray" or .who == "" then "" else " (" + .who + ")" end) + .label,
     figure,
     (if $ref then ($ref | figure) + ", " + $ref.who else "" end),
     (if $ref and .core then "\(.core / $ref.core * 100 | round / 100)x"
      elif $ref then "\(.ms / $ref.ms * 100 | round / 100)x" else "" end),
     .target]
  | "| " + join(" | ") + " |"
' "$out"/*.json | {
  echo "| Job | VoiceTray | Reference | Ratio | Target |"
  echo "|---|---|---|---|---|"
  cat
}
