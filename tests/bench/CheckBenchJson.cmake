# Runs "dialforge-bench --quick --json" and checks that standard output is one JSON object with
# every figure the bench promises, and nothing else.
if(NOT BENCH)
  message(FATAL_ERROR "call with -DBENCH=<path of dialforge-bench>")
endif()

# EMULATOR, when set, runs a cross-built bench (wine for Windows).
execute_process(COMMAND ${EMULATOR} ${BENCH} --quick --json
  OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "dialforge-bench failed (${result}): ${errors}")
endif()

string(STRIP "${output}" stripped)
if(NOT stripped MATCHES "^{.*}$")
  message(FATAL_ERROR "standard output is not one JSON object alone:\n${output}")
endif()

function(expect_type type)
  string(JSON actual ERROR_VARIABLE error TYPE "${output}" ${ARGN})
  if(error OR NOT actual STREQUAL type)
    message(FATAL_ERROR "'${ARGN}' is not a ${type} (${actual}${error}):\n${output}")
  endif()
endfunction()

foreach(key
    roundtrip_requests roundtrip_us_median roundtrip_us_p99 echo_roundtrip_us_median
    echo_roundtrip_us_p99 roundtrip_ratio roundtrip_allocations_per_request
    throughput_messages throughput_msgs_per_s baseline_throughput_msgs_per_s throughput_ratio
    allocations_per_message host_allocations_per_message plugin_allocations_per_message
    allowed_allocations_per_message
    mixer_row_cost_change commands_row_cost_change
    trace_off_ns_per_call trace_stdout_lines_per_s trace_log_lines_per_s
    transport_event_median_us transport_event_p99_us transport_event_8_median_us
    transport_event_8_p99_us
    jog_beside_snapshots_jogs jog_beside_snapshots_median_us jog_beside_snapshots_p99_us
    jog_beside_snapshots_snapshots jog_beside_snapshots_us_per_snapshot
    idle_subscriber_seconds idle_subscriber_frames idle_subscriber_mixer_changes
    idle_subscriber_heap_growth_bytes idle_subscriber_heap_growth_without_bytes
    idle_subscriber_backlog_bytes
    reader_event_alone_median_us reader_event_alone_p99_us reader_event_beside_idle_median_us
    reader_event_beside_idle_p99_us seconds)
  expect_type(NUMBER ${key})
endforeach()
expect_type(BOOLEAN idle_subscriber_still_served)
foreach(goal
    roundtrip_at_most_1_5_times_echo throughput_at_least_200000_per_s
    snapshot_row_cost_flat_within_30_percent no_allocation_beyond_fields
    jog_beside_snapshots_within_1_ms idle_subscriber_holds_at_most_1_mib)
  expect_type(BOOLEAN goals ${goal})
endforeach()

# Every snapshot case, in order, with its size and its cost per row.
set(cases "Mixer 8" "Mixer 64" "Mixer 512" "Mixer 4096" "Commands 100" "Commands 1000"
  "Commands 10000")
string(JSON count ERROR_VARIABLE error LENGTH "${output}" snapshots)
list(LENGTH cases expected)
if(error OR NOT count EQUAL expected)
  message(FATAL_ERROR "expected ${expected} snapshot cases, found '${count}'${error}")
endif()
math(EXPR last "${count} - 1")
foreach(index RANGE ${last})
  list(GET cases ${index} case)
  string(JSON snapshot GET "${output}" snapshots ${index} snapshot)
  string(JSON size GET "${output}" snapshots ${index} size)
  if(NOT "${snapshot} ${size}" STREQUAL case)
    message(FATAL_ERROR "snapshot case ${index} is '${snapshot} ${size}', expected '${case}'")
  endif()
  foreach(key rows reply_bytes runs us_per_request us_per_empty_request us_per_snapshot ns_per_row
      us_per_echo echo_ratio us_jog_wait)
    expect_type(NUMBER snapshots ${index} ${key})
  endforeach()
endforeach()
